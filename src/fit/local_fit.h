// A local least-squares fit by Levenberg-Marquardt (lmdif) from one start,
// and the statistics of a fit at its optimum.
#pragma once

#include <atomic>
#include <vector>

#include "fit_objective.h"

namespace kora {

struct LocalFit {
    std::vector<double> values;
    double objective = 0.0;
    int32_t info = 0;
    int64_t evaluations = 0;
    bool converged = false;
    bool stopped = false;
    bool solvable = true; // false: the model could not be solved at the start
};

// lmdif on the internal coordinates from `start` (parameter values).
// `stop`, read before each solve, ends the search keeping the best point.
LocalFit RunLocalFit(FitObjective& objective, const std::vector<double>& start,
                     int32_t maxEvaluations, const std::atomic<bool>* stop = nullptr);

// Fills result's objective, sums of squares, information criteria, the
// parameters with standard errors and the correlation matrix at `fit`'s
// values, flagging parameters that the data cannot determine.
void FillStatistics(FitObjective& objective, const LocalFit& fit, FitResult& result);

} // namespace kora

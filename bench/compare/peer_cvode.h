// One whole CVODE solve of a comparison problem with its native right side.
#pragma once

#include <vector>

#include "problems.h"

namespace kora::compare {

struct SolveOutcome {
    bool ok = false;
    long steps = 0;
    long fevals = 0;
    long jevals = 0;
    std::vector<double> finalState;
};

enum class CvodeMethod { Bdf, Adams };

// Creates the solver, steps through every report time, releases it.
SolveOutcome SolveWithCvode(const Problem& problem, CvodeMethod method, double rtol, double atol);

} // namespace kora::compare

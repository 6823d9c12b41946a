// Many local fits from the points of a Latin hypercube over the bounds, on
// worker threads, each with its own compiled models and solver. The starts
// are drawn before any work and each is fitted alone, so the best fit is the
// same whatever the number of threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "fit_run.h"
#include "local_fit.h"

namespace kora {

// `starts` points, one per stratum of every parameter, drawn on the
// search scale (log where the parameter is searched on it) from `seed`.
std::vector<std::vector<double>> LatinHypercube(const std::vector<ParameterScale>& scales,
                                                int32_t starts, uint64_t seed);

struct MultiStartOutcome {
    LocalFit best;
    int32_t startsDone = 0;
    int64_t evaluations = 0;
    std::string message; // a worker could not prepare its problem
};

// Local fits from the model's values and then from every hypercube point.
MultiStartOutcome RunMultiStart(const FitRequest& request, const FitObjective& prepared,
                                const std::atomic<bool>* stop, const FitProgressCallback& progress);

} // namespace kora

// A fit from start to report: prepares the problem, runs the chosen method
// (one local fit, many starts on worker threads, or S-system identification
// followed by a local fit) and fills the result with its statistics.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "data_table.h"
#include "experiment.h"
#include "fit_problem.h"

namespace kora {

struct FitProgress {
    int32_t startsDone = 0;
    int32_t starts = 0;
    double bestObjective = 0.0; // infinity before the first start ends
};

// Called from the thread that finished a start; at most one call at a time.
using FitProgressCallback = std::function<void(const FitProgress&)>;

struct FitRequest {
    FitModelSource model;
    std::vector<DataTable> data;
    std::vector<FitParameterSpec> parameters;
    FitOptions options;
};

// Runs the fit. result.message is set (and nothing fitted) when the model,
// the data or the parameters are at fault; `stop` ends the search early,
// keeping the best point found (result.stopped).
FitResult RunFit(const FitRequest& request, const std::atomic<bool>* stop = nullptr,
                 const FitProgressCallback& progress = nullptr);

} // namespace kora

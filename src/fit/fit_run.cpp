#include "fit_run.h"

#include <cmath>

#include "local_fit.h"
#include "multistart.h"
#include "ssystem_identify.h"

namespace kora {

namespace {

std::string CheckMultiStartBounds(const FitObjective& objective) {
    for (size_t p = 0; p < objective.ParameterCount(); ++p) {
        const ParameterScale& scale = objective.scales()[p];
        if (!std::isfinite(scale.low()) || !std::isfinite(scale.high()) ||
            (scale.logScale() && !(scale.low() > 0.0)))
            return "error: many starts need finite bounds for every parameter (" +
                   objective.names()[p] + " has none)";
    }
    return {};
}

void Finish(FitObjective& objective, const LocalFit& fit, FitResult& result) {
    result.converged = fit.converged;
    result.stopped = fit.stopped;
    FillStatistics(objective, fit, result);
}

} // namespace

FitResult RunFit(const FitRequest& request, const std::atomic<bool>* stop,
                 const FitProgressCallback& progress) {
    FitResult result;
    FitObjective objective;
    result.message =
        objective.Prepare(request.model, request.data, request.parameters, request.options);
    if (!result.message.empty()) return result;
    if (request.options.method == FitMethod::MultiStart)
        result.message = CheckMultiStartBounds(objective);
    if (!result.message.empty()) return result;

    std::vector<double> start = objective.starts();
    LocalFit fit;
    switch (request.options.method) {
    case FitMethod::MultiStart: {
        MultiStartOutcome outcome = RunMultiStart(request, objective, stop, progress);
        if (!outcome.message.empty()) {
            result.message = outcome.message;
            return result;
        }
        fit = outcome.best;
        result.startsDone = outcome.startsDone;
        result.evaluations = outcome.evaluations;
        break;
    }
    case FitMethod::SSystem: {
        SSystemEstimate estimate;
        result.message = IdentifySSystem(objective, estimate);
        if (!result.message.empty()) return result;
        for (size_t p = 0; p < start.size(); ++p)
            start[p] = objective.scales()[p].Clamp(estimate.values[p]);
        [[fallthrough]];
    }
    case FitMethod::LevenbergMarquardt:
        fit = RunLocalFit(objective, start, request.options.maxEvaluations, stop);
        result.startsDone = 1;
        result.evaluations = fit.evaluations;
        if (progress) progress({1, 1, fit.objective});
        break;
    }
    if (!fit.solvable || fit.values.empty()) {
        result.message =
            "error: the model cannot be solved at the start values: " +
            (objective.failure.empty() ? std::string("no solution") : objective.failure);
        return result;
    }
    Finish(objective, fit, result);
    if (request.options.method != FitMethod::MultiStart)
        for (size_t p = 0; p < start.size(); ++p)
            result.parameters[p].start = start[p];
    return result;
}

} // namespace kora

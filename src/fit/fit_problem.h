// What a fit is asked to do: the parameters with their bounds and scales,
// the method and its controls. Toolkit-free values shared by every front end.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace kora {

inline constexpr double kUnbounded = std::numeric_limits<double>::infinity();

struct FitParameterSpec {
    std::string name;
    double low = -kUnbounded;
    double high = kUnbounded;
    // Searched on the logarithm of the value. Unset: the default, on for
    // positive bounds more than two decades apart.
    enum class Scale { Default, Linear, Log } scale = Scale::Default;
};

enum class FitMethod { LevenbergMarquardt, MultiStart, SSystem };

enum class FitWeighting {
    StandardDeviations, // 1/sd^2 where the data give sd, else 1
    Range               // also each quantity scaled by the range of its data
};

struct FitOptions {
    FitMethod method = FitMethod::LevenbergMarquardt;
    FitWeighting weighting = FitWeighting::StandardDeviations;
    int32_t starts = 20;        // multi-start: points of the Latin hypercube
    int32_t threads = 0;        // 0: one per core
    uint64_t seed = 1;          // of the Latin hypercube
    int32_t logTolerance = 10;  // the solver's relative tolerance is 10^-logTolerance
    int32_t maxEvaluations = 0; // per local fit; 0: 200 (n + 1)
};

// One fitted parameter after a fit.
struct FittedParameter {
    std::string name;
    double value = 0.0;
    double start = 0.0; // where the final local search began (lm, ssystem)
    double se = std::numeric_limits<double>::quiet_NaN(); // NaN: not identifiable or at a bound
    double low = -kUnbounded;
    double high = kUnbounded;
    bool logScale = false;
    bool identifiable = true;
    bool atBound = false;
};

struct FitResult {
    bool converged = false;
    bool stopped = false;
    int32_t info = 0;       // lmdif's info of the final local fit
    std::string message;    // a failure that ended the fit, else ""
    double objective = 0.0; // the weighted sum of squares minimised
    double ssr = 0.0;       // plain sum of squared residuals
    double chi2 = 0.0;      // residuals over the data's sd where given, else plain
    double aic = 0.0;
    double bic = 0.0;
    int64_t points = 0;
    int64_t evaluations = 0; // solves of the whole problem (every data set once)
    int32_t startsDone = 0;
    std::vector<FittedParameter> parameters;
    std::vector<std::vector<double>> correlation; // NaN rows for unidentifiable ones
    std::vector<std::string> notIdentifiable;
};

// Whether a parameter is searched on a log scale, its default decided by the bounds.
inline bool UsesLogScale(const FitParameterSpec& spec) {
    if (spec.scale != FitParameterSpec::Scale::Default)
        return spec.scale == FitParameterSpec::Scale::Log;
    return spec.low > 0.0 && spec.high < kUnbounded && spec.high > 100.0 * spec.low;
}

} // namespace kora

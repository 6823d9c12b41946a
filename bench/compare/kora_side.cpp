#include "kora_side.h"

#include <cmath>
#include <string>

#include "model/error_display.h"
#include "model/krm_parser.h"
#include "solve/run_driver.h"

namespace kora::compare {
namespace {

long CountFrom(const RunStatistics& stats, const std::string& key, long fallback) {
    for (const auto& [name, value] : stats.extra)
        if (name == key) return std::stol(value);
    return fallback;
}

} // namespace

KoraSide::KoraSide(const std::string& modelPath) {
    TextLines lines;
    if (ReadTextLines(modelPath, lines) == TextReadStatus::Ok)
        modelLines_ = ExtractModelLines(lines, true).modelLines;
}

SolveOutcome KoraSide::Solve(KoraMethod method, double tolerance, bool exactJacobian) const {
    ErrorDisplay sink;
    KRMForm form;
    KRMparser model(&form, &sink);
    RunDriver driver(model, form, sink);
    RunConfiguration config;
    config.method = method == KoraMethod::Taylor ? SolverMethod::Taylor : SolverMethod::Lsoda;
    config.logTolerance = static_cast<int32_t>(std::lround(-std::log10(tolerance)));
    config.exactJacobian = exactJacobian;
    RunOutcome outcome = driver.RunToEnd(modelLines_, config);

    SolveOutcome out;
    out.ok = outcome.Succeeded() && outcome.timeCourse.has_value();
    out.steps = outcome.statistics.steps;
    out.fevals = CountFrom(outcome.statistics, "fevals", 0);
    out.jevals = CountFrom(outcome.statistics, "jevals", 0);
    if (out.ok) {
        const TimeCourse& tc = *outcome.timeCourse;
        const double* last = tc.Row(tc.rows - 1);
        out.finalState.assign(last + 1, last + tc.columns);
    }
    return out;
}

} // namespace kora::compare

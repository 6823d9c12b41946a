// Whole LSODA runs of a model with a switch inside an equation, with and
// without locating the switch, beside the same model made smooth; and a
// bouncing ball whose bounces are events. Steps are reported as counters.
#include <benchmark/benchmark.h>

#include "solve/run_driver.h"

namespace kora {
namespace {

const TextLines kSwitched{
    "X' = 1", "Y' = 100*flag[X - 5] - Y", "Z' = Y*flag[X - 7] - Z", "X = 0", "Y = 0", "Z = 0",
    "tf = 10"};
const TextLines kSmooth{"X' = 1", "Y' = 100 - Y", "Z' = Y - Z", "X = 0",
                        "Y = 0",  "Z = 0",        "tf = 10"};
const TextLines kBall{"h' = v", "v' = -9.81", "h = 10", "v = 0", "tf = 10", "@ [h < 0] v = -0.8*v"};

void Run(benchmark::State& state, const TextLines& lines, bool locate) {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    RunDriver driver(model, form, sink);
    RunConfiguration configuration;
    configuration.method = SolverMethod::Lsoda;
    configuration.logTolerance = static_cast<int32_t>(state.range(0));
    configuration.locateSwitches = locate;
    int32_t steps = 0;
    for (auto _ : state) {
        const RunOutcome outcome = driver.RunToEnd(lines, configuration);
        steps = outcome.statistics.steps;
        if (!outcome.Succeeded()) state.SkipWithError("run failed");
    }
    state.counters["steps"] = steps;
}

void BM_Switched(benchmark::State& state) {
    Run(state, kSwitched, true);
}
void BM_SwitchedNotLocated(benchmark::State& state) {
    Run(state, kSwitched, false);
}
void BM_Smooth(benchmark::State& state) {
    Run(state, kSmooth, true);
}
void BM_BouncingBall(benchmark::State& state) {
    Run(state, kBall, true);
}

BENCHMARK(BM_Switched)->Arg(6)->Arg(9)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SwitchedNotLocated)->Arg(6)->Arg(9)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Smooth)->Arg(6)->Arg(9)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BouncingBall)->Arg(6)->Arg(9)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kora

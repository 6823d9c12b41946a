// A whole fit of the alpha-pinene example (examples/fit), from the start of
// all rates equal: the local method, and many starts on one and two threads.
#include <benchmark/benchmark.h>

#include <string>

#include "fit/fit_run.h"

namespace {

using namespace kora;

FitRequest AlphaPinene(FitMethod method, int threads) {
    const std::string folder = std::string(KORA_EXAMPLES_DIR) + "/fit/";
    FitRequest request;
    TextLines lines;
    ReadTextLines(folder + "alpha_pinene.krm", lines);
    request.model.fileName = "alpha_pinene.krm";
    request.model.modelLines = ExtractModelLines(lines, true).modelLines;
    DataTable table;
    ReadDataFile(folder + "alpha_pinene.csv", table);
    request.data.push_back(table);
    // Unbounded for the local fit, as SciPy's least_squares is run beside it;
    // many starts need bounds, here five decades on a log scale.
    const bool bounded = method == FitMethod::MultiStart;
    for (const char* name : {"k1", "k2", "k3", "k4", "k5"})
        request.parameters.push_back({name, bounded ? 1e-7 : -kUnbounded,
                                      bounded ? 1e-2 : kUnbounded,
                                      FitParameterSpec::Scale::Default});
    request.options.method = method;
    request.options.threads = threads;
    request.options.starts = 8;
    return request;
}

void Fit(benchmark::State& state, FitMethod method, int threads) {
    const FitRequest request = AlphaPinene(method, threads);
    FitResult result;
    for (auto _ : state) {
        result = RunFit(request);
        benchmark::DoNotOptimize(result.objective);
    }
    state.counters["ssr"] = result.ssr;
    state.counters["evaluations"] = static_cast<double>(result.evaluations);
}

BENCHMARK_CAPTURE(Fit, lm, FitMethod::LevenbergMarquardt, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fit, multistart_8_1thread, FitMethod::MultiStart, 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Fit, multistart_8_2threads, FitMethod::MultiStart, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

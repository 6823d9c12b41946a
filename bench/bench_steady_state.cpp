// Steady state with eigenvalues and every sensitivity, per compute.
#include <benchmark/benchmark.h>

#include <string>

#include "model/krm_parser.h"
#include "numeric/krmform_ss.h"

namespace {

using namespace kora;

// A chain X1 .. Xn fed by the independent X0; each variable is produced from
// its predecessor and inhibited by its successor.
TextLines SSystemChain(int n) {
    TextLines lines;
    for (int i = 1; i <= n; ++i) {
        std::string rhs = "1.5 * X" + std::to_string(i - 1) + "^0.5";
        if (i < n) rhs += " * X" + std::to_string(i + 1) + "^(-0.1)";
        rhs += " - X" + std::to_string(i) + "^0.8";
        lines.push_back("X" + std::to_string(i) + "' = " + rhs);
        lines.push_back("X" + std::to_string(i) + " = 1");
    }
    lines.push_back("X0 = 2");
    lines.push_back("&& X0");
    return lines;
}

// The same chain with a reverse flux and a second consuming term, so that no
// equation is an S-system equation and the steady state needs the search.
TextLines GmaChain(int n) {
    TextLines lines;
    for (int i = 1; i <= n; ++i) {
        const std::string x = "X" + std::to_string(i);
        std::string rhs = "1.5 * X" + std::to_string(i - 1) + "^0.5";
        if (i < n) rhs += " + 0.2 * X" + std::to_string(i + 1) + "^0.3";
        rhs += " - " + x + "^0.8";
        if (i < n) rhs += " - 0.2 * " + x + "^0.5 * X" + std::to_string(i + 1) + "^0.1";
        lines.push_back(x + "' = " + rhs);
        lines.push_back(x + " = 1");
    }
    lines.push_back("X0 = 2");
    lines.push_back("&& X0");
    return lines;
}

void ComputeSteadyState(benchmark::State& state, const TextLines& lines) {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    model.Build(lines);
    const bool powerLaw = sink.code == 0 && model.BuildForm();
    KRMForm_ss ss(form, model);
    for (auto _ : state) {
        ss.compute(powerLaw);
        benchmark::DoNotOptimize(ss.results.get());
    }
    if (ss.status != 0) state.SkipWithError("the steady state was not fully computed");
    state.counters["columns"] = ss.nIndep + ss.nTerms + ss.nFactors;
    state.counters["residuals"] = static_cast<double>(ss.residualEvaluations);
}

void BM_SteadyStateGma20(benchmark::State& state) {
    ComputeSteadyState(state, GmaChain(20));
}
void BM_SteadyStateGma100(benchmark::State& state) {
    ComputeSteadyState(state, GmaChain(100));
}
void BM_SteadyStateSSystem100(benchmark::State& state) {
    ComputeSteadyState(state, SSystemChain(100));
}

BENCHMARK(BM_SteadyStateGma20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SteadyStateGma100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SteadyStateSSystem100)->Unit(benchmark::kMicrosecond);

} // namespace

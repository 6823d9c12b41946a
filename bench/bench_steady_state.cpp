// Steady state with eigenvalues and every sensitivity, per compute.
#include <benchmark/benchmark.h>

#include <string>

#include "model/krm_parser.h"
#include "numeric/krmform_ss.h"
#include "numeric/lsoda_column_groups.h"
#include "numeric/ss_conservation.h"
#include "numeric/ss_residuals.h"

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

// A closed ring X1 -> X2 -> ... -> Xn -> X1: the sum of all is conserved.
TextLines Ring(int n) {
    TextLines lines;
    for (int i = 1; i <= n; ++i) {
        const int before = i == 1 ? n : i - 1;
        const std::string x = "X" + std::to_string(i);
        const double k = 1.0 + 0.01 * (i % 7);
        const double kBefore = 1.0 + 0.01 * (before % 7);
        lines.push_back(x + "' = " + std::to_string(kBefore) + " * X" + std::to_string(before) +
                        "^0.5 - " + std::to_string(k) + " * " + x + "^0.5");
        lines.push_back(x + " = " + std::to_string(1 + i % 3));
    }
    return lines;
}

void ComputeSteadyState(benchmark::State& state, const TextLines& lines, bool conservation = true) {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    model.Build(lines);
    const bool powerLaw = sink.code == 0 && model.BuildForm();
    KRMForm_ss ss(form, model);
    ss.useConservation = conservation;
    for (auto _ : state) {
        ss.compute(powerLaw);
        benchmark::DoNotOptimize(ss.results.get());
    }
    // Tables over the size limit are left out by design (500-variable chain).
    if ((ss.status & ~(SS_NO_SENSITIVITIES | SS_SENSITIVITIES_TOO_LARGE)) != 0 ||
        ((ss.status & SS_NO_SENSITIVITIES) != 0 && (ss.status & SS_SENSITIVITIES_TOO_LARGE) == 0))
        state.SkipWithError("the steady state was not fully computed");
    state.counters["columns"] = ss.nIndep + ss.nTerms + ss.nFactors;
    state.counters["residuals"] = static_cast<double>(ss.residualEvaluations);
}

void BM_SteadyStateGma20(benchmark::State& state) {
    ComputeSteadyState(state, GmaChain(20));
}
void BM_SteadyStateGma100(benchmark::State& state) {
    ComputeSteadyState(state, GmaChain(100));
}
void BM_SteadyStateGma100IgnoringConservation(benchmark::State& state) {
    ComputeSteadyState(state, GmaChain(100), false);
}
void BM_SteadyStateSSystem100(benchmark::State& state) {
    ComputeSteadyState(state, SSystemChain(100));
}

void BM_SteadyStateGma500(benchmark::State& state) {
    ComputeSteadyState(state, GmaChain(500));
}
void BM_SteadyStateGma500IgnoringConservation(benchmark::State& state) {
    ComputeSteadyState(state, GmaChain(500), false);
}
void BM_SteadyStateRing500(benchmark::State& state) {
    ComputeSteadyState(state, Ring(500));
}

// Finding the relations alone, on the power-law residual the search uses.
void Detect(benchmark::State& state, const TextLines& lines) {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    model.Build(lines);
    if (sink.code != 0 || !model.BuildForm()) state.SkipWithError("not a power-law model");
    ClassifyForm(form);
    PowerLawTable table;
    table.Build(form);
    std::vector<double> xe(table.n + model.nIndependent, 0.0), x0(table.n);
    for (const Statement& c : model.constants)
        if (c.valueIndex != 0) xe[c.valueIndex] = c.value;
    for (uint32_t i = 0; i < table.n; ++i)
        x0[i] = model.equations[i].value;
    PowerLawResidualContext context{&table, xe.data()};
    const MinpackFcn residual(powerLawResidual, &context);
    // Grouped columns, as the steady-state compute gives them.
    std::vector<std::vector<int32_t>> reads;
    table.EquationReads(reads);
    ColumnGroups groups;
    BuildColumnGroups(reads, groups);
    const ColumnGrouping view{groups.GroupCount(), groups.groupStart.data(), groups.columns.data(),
                              groups.rowStart.data(), groups.rows.data()};
    uint64_t evaluations = 0;
    size_t relations = 0;
    for (auto _ : state)
        relations =
            FindConservationRelations(residual, table.n, x0.data(), evaluations, &view).size();
    state.counters["relations"] = static_cast<double>(relations);
}
void BM_DetectRelationsRing500(benchmark::State& state) {
    Detect(state, Ring(500));
}
void BM_DetectRelationsGma500(benchmark::State& state) {
    Detect(state, GmaChain(500));
}

BENCHMARK(BM_SteadyStateGma20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SteadyStateGma500)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SteadyStateGma500IgnoringConservation)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SteadyStateRing500)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DetectRelationsRing500)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DetectRelationsGma500)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SteadyStateGma100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SteadyStateGma100IgnoringConservation)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SteadyStateSSystem100)->Unit(benchmark::kMicrosecond);

} // namespace

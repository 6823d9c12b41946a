// The Taylor solver on a non-stiff S-system chain: steps, time per solve and
// achieved error at several tolerances, and build and solve time by size.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "model/error_display.h"
#include "model/krm_parser.h"
#include "numeric/krm_form_integrator.h"
#include "numeric/lsoda.h"

namespace {

using namespace kora;

double RateConstant(int i) {
    return 1.0 + ((i * 7919) % 1000) / 1000.0;
} // in [1, 2)

// X1' = a0 Xn^-0.5 - a1 X1^0.5, Xi' = a(i-1) X(i-1)^0.5 - ai Xi^0.5, all from 1.
TextLines ChainModel(int n) {
    TextLines lines{"NAME chain", "tf = 100", "hr = 1"};
    for (int i = 0; i <= n; ++i)
        lines.push_back("a" + std::to_string(i) + " = " + std::to_string(RateConstant(i)));
    const std::string last = "X" + std::to_string(n);
    lines.push_back("X1' = a0*" + last + "^(-0.5) - a1*X1^0.5");
    for (int i = 2; i <= n; ++i) {
        const std::string x = "X" + std::to_string(i), prev = "X" + std::to_string(i - 1);
        const std::string a = "a" + std::to_string(i), aprev = "a" + std::to_string(i - 1);
        lines.push_back(x + "' = " + aprev + "*" + prev + "^0.5 - " + a + "*" + x + "^0.5");
    }
    for (int i = 1; i <= n; ++i)
        lines.push_back("X" + std::to_string(i) + " = 1");
    return lines;
}

struct Chain {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};
    TextLines lines;

    explicit Chain(int n) : lines(ChainModel(n)) { Build(); }
    bool Build() {
        model.Build(lines);
        return sink.code == 0 && model.BuildForm();
    }
};

// Solves once; the rows stay in the solver.
void Solve(winintegrator& solver, int logTolerance) {
    solver.Init();
    solver.createResults = true;
    solver.minOrder = 2;
    solver.maxOrder = 20;
    solver.tolerance = std::pow(10.0, -logTolerance);
    solver.state = kSolverInitialise;
    solver.startTicks = solver.lastProgressTicks = TickCountMs();
    while (solver.state != kSolverFinished)
        solver.Run();
}

// The chain's right-hand side, written directly.
void ChainDerivative(const std::vector<double>& x, std::vector<double>& dx) {
    const size_t n = x.size();
    dx[0] = RateConstant(0) / std::sqrt(x[n - 1]) - RateConstant(1) * std::sqrt(x[0]);
    for (size_t i = 1; i < n; ++i)
        dx[i] = RateConstant(static_cast<int>(i)) * std::sqrt(x[i - 1]) -
                RateConstant(static_cast<int>(i + 1)) * std::sqrt(x[i]);
}

// Classical Runge-Kutta with a small fixed step: the values at t = 0, 1, ... 100.
std::vector<std::vector<double>> ReferenceRows(int n) {
    const int perUnit = 2000;
    const double h = 1.0 / perUnit;
    std::vector<double> x(n, 1.0), k1(n), k2(n), k3(n), k4(n), tmp(n);
    std::vector<std::vector<double>> rows{x};
    for (int unit = 0; unit < 100; ++unit) {
        for (int s = 0; s < perUnit; ++s) {
            ChainDerivative(x, k1);
            for (int i = 0; i < n; ++i)
                tmp[i] = x[i] + 0.5 * h * k1[i];
            ChainDerivative(tmp, k2);
            for (int i = 0; i < n; ++i)
                tmp[i] = x[i] + 0.5 * h * k2[i];
            ChainDerivative(tmp, k3);
            for (int i = 0; i < n; ++i)
                tmp[i] = x[i] + h * k3[i];
            ChainDerivative(tmp, k4);
            for (int i = 0; i < n; ++i)
                x[i] += h / 6.0 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
        }
        rows.push_back(x);
    }
    return rows;
}

// Largest relative difference between the solver's rows and reference rows.
// Columns follow the default report order: the variables in text order.
double WorstError(const winintegrator& solver, const std::vector<std::vector<double>>& reference) {
    double worst = 0.0;
    const int rows = std::min<int>(solver.rows, static_cast<int>(reference.size()));
    for (int r = 0; r < rows; ++r)
        for (int c = 1; c < solver.columns; ++c) {
            const double exact = reference[r][c - 1];
            const double value = solver.results.data()[r * solver.columns + c];
            worst = std::max(worst, std::fabs(value - exact) / std::fabs(exact));
        }
    return worst;
}

void BM_TaylorChain10(benchmark::State& state) {
    const int logTolerance = static_cast<int>(state.range(0));
    Chain chain(10);
    KRMForm_integrator solver(&chain.model, &chain.form);
    for (auto _ : state) {
        Solve(solver, logTolerance);
        benchmark::DoNotOptimize(solver.values.data());
    }
    static const auto rk = ReferenceRows(10);
    KRMForm_integrator tight(&chain.model, &chain.form);
    Solve(tight, 15);
    state.counters["steps"] = solver.StepCount();
    state.counters["order"] = solver.progOrder;
    state.counters["rows"] = solver.rows;
    state.counters["err_vs_rk4"] = WorstError(solver, rk);
    state.counters["err_vs_tol15"] = WorstError(solver, [&] {
        std::vector<std::vector<double>> rows;
        for (int r = 0; r < tight.rows; ++r)
            rows.emplace_back(tight.results.data() + r * tight.columns + 1,
                              tight.results.data() + (r + 1) * tight.columns);
        return rows;
    }());
    state.counters["tol15_vs_rk4"] = WorstError(tight, rk);
}
BENCHMARK(BM_TaylorChain10)->Arg(6)->Arg(9)->Arg(12)->Unit(benchmark::kMicrosecond);

// The other solver on the same problem, for comparison.
void BM_LsodaChain10(benchmark::State& state) {
    const int logTolerance = static_cast<int>(state.range(0));
    Chain chain(10);
    lsoda solver(&chain.model);
    for (auto _ : state) {
        Solve(solver, logTolerance);
        benchmark::DoNotOptimize(solver.values.data());
    }
    static const auto rk = ReferenceRows(10);
    state.counters["steps"] = static_cast<double>(solver.Statistics().steps);
    state.counters["err_vs_rk4"] = WorstError(solver, rk);
}
BENCHMARK(BM_LsodaChain10)->Arg(6)->Arg(9)->Arg(12)->Unit(benchmark::kMicrosecond);

void BM_ChainBuild(benchmark::State& state) {
    Chain chain(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(chain.Build());
}
BENCHMARK(BM_ChainBuild)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ChainSolve(benchmark::State& state) {
    Chain chain(static_cast<int>(state.range(0)));
    KRMForm_integrator solver(&chain.model, &chain.form);
    for (auto _ : state) {
        Solve(solver, 6);
        benchmark::DoNotOptimize(solver.values.data());
    }
    state.counters["steps"] = solver.StepCount();
}
BENCHMARK(BM_ChainSolve)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

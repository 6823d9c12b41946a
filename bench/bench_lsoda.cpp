// Wall time of whole LSODA solves, with the step and evaluation counts, on a
// stiff chemistry problem (Robertson), a stiff photochemistry problem (HIRES)
// and a non-stiff 10-variable S-system chain, at two tolerances.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/krm_parser.h"
#include "numeric/lsoda.h"

namespace kora {
namespace {

class Robertson : public LsodaRhs {
public:
    bool Derivatives(double, const double* y, double* f) override {
        f[0] = -0.04 * y[0] + 1e4 * y[1] * y[2];
        f[1] = 0.04 * y[0] - 1e4 * y[1] * y[2] - 3e7 * y[1] * y[1];
        f[2] = 3e7 * y[1] * y[1];
        return true;
    }
};

class Hires : public LsodaRhs {
public:
    bool Derivatives(double, const double* y, double* f) override {
        f[0] = -1.71 * y[0] + 0.43 * y[1] + 8.32 * y[2] + 0.0007;
        f[1] = 1.71 * y[0] - 8.75 * y[1];
        f[2] = -10.03 * y[2] + 0.43 * y[3] + 0.035 * y[4];
        f[3] = 8.32 * y[1] + 1.71 * y[2] - 1.12 * y[3];
        f[4] = -1.745 * y[4] + 0.43 * y[5] + 0.43 * y[6];
        f[5] = -280.0 * y[5] * y[7] + 0.69 * y[3] + 1.71 * y[4] - 0.43 * y[5] + 0.69 * y[6];
        f[6] = 280.0 * y[5] * y[7] - 1.81 * y[6];
        f[7] = -280.0 * y[5] * y[7] + 1.81 * y[6];
        return true;
    }
};

// X1' = a0 X10^-0.5 - a1 X1^0.5, Xi' = a(i-1) X(i-1)^0.5 - ai Xi^0.5, ai = 1 + i/10.
class SSystemChain : public LsodaRhs {
public:
    bool Derivatives(double, const double* x, double* f) override {
        f[0] = Rate(0) * std::pow(x[9], -0.5) - Rate(1) * std::pow(x[0], 0.5);
        for (int i = 1; i < 10; ++i)
            f[i] = Rate(i) * std::pow(x[i - 1], 0.5) - Rate(i + 1) * std::pow(x[i], 0.5);
        return true;
    }

private:
    static double Rate(int i) { return 1.0 + 0.1 * i; }
};

TextLines ChainModelText() {
    TextLines lines;
    for (int i = 1; i <= 10; ++i) {
        const std::string previous = i == 1 ? "X10^-0.5" : "X" + std::to_string(i - 1) + "^0.5";
        lines.push_back("X" + std::to_string(i) + "' = a" + std::to_string(i - 1) + " * " +
                        previous + " - a" + std::to_string(i) + " * X" + std::to_string(i) +
                        "^0.5");
        lines.push_back("X" + std::to_string(i) + " = 1");
    }
    for (int i = 0; i <= 10; ++i)
        lines.push_back("a" + std::to_string(i) + " = " + std::to_string(1.0 + 0.1 * i));
    lines.push_back("tf = 100");
    lines.push_back("hr = 1");
    return lines;
}

// One whole solve per iteration; rows are not stored.
void Solve(benchmark::State& state, KRMparser& model, LsodaRhs* rhs, const std::vector<double>& y0,
           double tf, double hr) {
    const double rtol = state.range(0) == 6 ? 1e-6 : 1e-9;
    lsoda solver(&model);
    LsodaStatistics last;
    for (auto _ : state) {
        solver.Reset();
        if (rhs == nullptr) solver.Init();
        solver.SetRightHandSide(rhs);
        solver.values = y0;
        solver.runStart = solver.t0 = 0.0;
        solver.runEnd = solver.segmentEnd = tf;
        solver.reportInterval = hr;
        solver.tolerance = rtol;
        solver.state = kSolverInitialise;
        while (solver.state != kSolverFinished)
            solver.Run();
        if (solver.status != kStatusComplete) state.SkipWithError("solve failed");
        last = solver.Statistics();
    }
    state.counters["steps"] = static_cast<double>(last.steps);
    state.counters["rhs"] = static_cast<double>(last.rhsEvaluations);
    state.counters["jac"] = static_cast<double>(last.jacobianEvaluations);
}

KRMparser* BareModel(size_t n) {
    static KRMparser models[11] = {{nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},
                                   {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},
                                   {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},
                                   {nullptr, nullptr}, {nullptr, nullptr}};
    models[n].equations.resize(n);
    return &models[n];
}

void BM_LsodaRobertson(benchmark::State& state) {
    Robertson rhs;
    Solve(state, *BareModel(3), &rhs, {1.0, 0.0, 0.0}, 40.0, 4.0);
}

void BM_LsodaHires(benchmark::State& state) {
    Hires rhs;
    Solve(state, *BareModel(8), &rhs, {1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0057}, 321.8122,
          32.18122);
}

void BM_LsodaSSystemChain(benchmark::State& state) {
    SSystemChain rhs;
    Solve(state, *BareModel(10), &rhs, std::vector<double>(10, 1.0), 100.0, 1.0);
}

// The same chain written as model text: the evaluator's share of the cost.
void BM_LsodaSSystemChainModel(benchmark::State& state) {
    const TextLines lines = ChainModelText();
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    model.Build(lines);
    if (sink.code != 0) {
        state.SkipWithError("model did not build");
        return;
    }
    Solve(state, model, nullptr, std::vector<double>(10, 1.0), 100.0, 1.0);
}

BENCHMARK(BM_LsodaRobertson)->Arg(6)->Arg(9)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LsodaHires)->Arg(6)->Arg(9)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LsodaSSystemChain)->Arg(6)->Arg(9)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LsodaSSystemChainModel)->Arg(6)->Arg(9)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kora

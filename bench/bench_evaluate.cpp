// Interpreted right sides against the same expressions compiled natively.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/krm_parser.h"

namespace {

using namespace kora;

constexpr int kTerms = 20;

double Coefficient(int k) {
    return (k % 2 == 0 ? 1.0 : -1.0) * (0.5 + 0.1 * k);
}
double OrderOfX(int k) {
    return 0.25 + 0.05 * k;
}
double OrderOfY(int k) {
    return -0.5 + 0.03 * k;
}

// X' = sum of 20 terms a_k X^g_k Y^h_k; Y' = 1.
TextLines PowerLawModel() {
    TextLines lines{"X = 1.3", "Y = 0.7"};
    std::string rightSide = "X' = ";
    for (int k = 0; k < kTerms; ++k) {
        const std::string n = std::to_string(k);
        lines.push_back("a" + n + " = " + std::to_string(Coefficient(k)));
        lines.push_back("g" + n + " = " + std::to_string(OrderOfX(k)));
        lines.push_back("h" + n + " = " + std::to_string(OrderOfY(k)));
        rightSide += (k == 0 ? "" : " + ") + ("a" + n + "*X^g" + n + "*Y^h" + n);
    }
    lines.push_back(rightSide);
    lines.push_back("Y' = 1");
    return lines;
}

struct Interpreted {
    TextLines lines;
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};
    std::vector<double> x, aux, c, stack;

    explicit Interpreted(TextLines text) : lines(std::move(text)) {
        model.Build(lines);
        for (const Statement& s : model.equations)
            x.push_back(s.value);
        for (const Statement& s : model.definitions)
            aux.push_back(s.value);
        for (const Statement& s : model.constants)
            c.push_back(s.value);
        stack.resize(model.stackDepth);
    }
    double Run() {
        int error = 0;
        return model.Evaluate(0, 0, 0.0, x.data(), aux.data(), c.data(), error, stack.data());
    }
};

void BM_PowerLawInterpreted(benchmark::State& state) {
    Interpreted interpreted(PowerLawModel());
    if (interpreted.sink.code != 0) state.SkipWithError("model did not build");
    for (auto _ : state) {
        benchmark::DoNotOptimize(interpreted.x.data());
        benchmark::DoNotOptimize(interpreted.Run());
    }
}
BENCHMARK(BM_PowerLawInterpreted);

void BM_PowerLawNative(benchmark::State& state) {
    double a[kTerms], g[kTerms], h[kTerms];
    for (int k = 0; k < kTerms; ++k) {
        a[k] = Coefficient(k);
        g[k] = OrderOfX(k);
        h[k] = OrderOfY(k);
    }
    double values[2] = {1.3, 0.7};
    for (auto _ : state) {
        benchmark::DoNotOptimize(values);
        benchmark::DoNotOptimize(a);
        double sum = 0.0;
        for (int k = 0; k < kTerms; ++k)
            sum += a[k] * std::pow(values[0], g[k]) * std::pow(values[1], h[k]);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_PowerLawNative);

void BM_MichaelisMentenInterpreted(benchmark::State& state) {
    Interpreted interpreted({"Vm = 2.5", "Km = 0.4", "k = 0.3", "S = 1.2", "&& S",
                             "X' = Vm*S/(Km + S) - k*X", "X = 0.8"});
    if (interpreted.sink.code != 0) state.SkipWithError("model did not build");
    for (auto _ : state) {
        benchmark::DoNotOptimize(interpreted.x.data());
        benchmark::DoNotOptimize(interpreted.Run());
    }
}
BENCHMARK(BM_MichaelisMentenInterpreted);

void BM_MichaelisMentenNative(benchmark::State& state) {
    double p[4] = {2.5, 0.4, 0.3, 1.2};
    double x = 0.8;
    for (auto _ : state) {
        benchmark::DoNotOptimize(p);
        benchmark::DoNotOptimize(x);
        double rate = p[0] * p[3] / (p[1] + p[3]) - p[2] * x;
        benchmark::DoNotOptimize(rate);
    }
}
BENCHMARK(BM_MichaelisMentenNative);

} // namespace

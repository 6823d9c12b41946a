// Costs of the dense kernels at the sizes the stiff solver and the
// steady-state analysis meet: LU of the iteration matrix, banded LU,
// eigenvalues of a Jacobian, and a full nonlinear solve.
#include "numeric/kernels/eispack.h"
#include "numeric/kernels/linpack.h"
#include "numeric/kernels/minpack.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using namespace kora;

std::vector<double> denseMatrix(int n) {
    std::vector<double> a(n * n);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
            a[j * n + i] = std::sin(0.37 * i * i + 1.1 * j + 0.2) + (i == j ? 2.0 : 0.0);
    return a;
}

void BM_DenseFactorSolve(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> a = denseMatrix(n);
    std::vector<double> lu(a.size()), b(n);
    std::vector<int> ipvt(n);
    int info = 0;
    for (auto _ : state) {
        std::copy(a.begin(), a.end(), lu.begin());
        std::fill(b.begin(), b.end(), 1.0);
        dgefa(lu.data(), n, n, ipvt.data(), info);
        dgesl(lu.data(), n, n, ipvt.data(), b.data(), 0);
        benchmark::DoNotOptimize(b.data());
    }
}
BENCHMARK(BM_DenseFactorSolve)->Arg(5)->Arg(20)->Arg(100);

void BM_BandedFactorSolve(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int ml = 2, mu = 2, lda = 2 * ml + mu + 1;
    std::vector<double> abd(lda * n);
    for (int j = 0; j < n; ++j)
        for (int k = ml; k < lda; ++k)
            abd[j * lda + k] = std::cos(0.3 * j + k) + (k == ml + mu ? 4.0 : 0.0);
    std::vector<double> work(abd.size()), b(n);
    std::vector<int> ipvt(n);
    int info = 0;
    for (auto _ : state) {
        std::copy(abd.begin(), abd.end(), work.begin());
        std::fill(b.begin(), b.end(), 1.0);
        dgbfa(work.data(), lda, n, ml, mu, ipvt.data(), info);
        dgbsl(work.data(), lda, n, ml, mu, ipvt.data(), b.data(), 0);
        benchmark::DoNotOptimize(b.data());
    }
}
BENCHMARK(BM_BandedFactorSolve)->Arg(100)->Arg(1000);

void BM_Eigenvalues(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> a = denseMatrix(n);
    std::vector<double> h(a.size()), scale(n), wr(n), wi(n);
    std::vector<int> intch(n);
    int low = 0, igh = 0, ierr = 0;
    for (auto _ : state) {
        std::copy(a.begin(), a.end(), h.begin());
        balanc(n, h.data(), &low, &igh, scale.data());
        elmhes(n, low, igh, h.data(), intch.data());
        hqr(n, low, igh, h.data(), wr.data(), wi.data(), &ierr);
        benchmark::DoNotOptimize(wr.data());
    }
}
BENCHMARK(BM_Eigenvalues)->Arg(5)->Arg(20)->Arg(100);

// Broyden's tridiagonal function, a standard test of nonlinear solvers.
void broydenTridiagonal(int n, const double* x, double* f, int*) {
    for (int i = 0; i < n; ++i) {
        f[i] = (3 - 2 * x[i]) * x[i] + 1;
        if (i > 0) f[i] -= x[i - 1];
        if (i + 1 < n) f[i] -= 2 * x[i + 1];
    }
}

void BM_Hybrd1(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<double> x(n), f(n), wa(n * (3 * n + 13) / 2);
    int info = 0;
    for (auto _ : state) {
        std::fill(x.begin(), x.end(), -1.0);
        hybrd1(broydenTridiagonal, n, x.data(), f.data(), std::sqrt(dpmpar(1)), &info, wa.data(),
               static_cast<int>(wa.size()));
        benchmark::DoNotOptimize(x.data());
    }
    state.counters["info"] = info;
}
BENCHMARK(BM_Hybrd1)->Arg(5)->Arg(20);

} // namespace

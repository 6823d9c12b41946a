#include "numeric/kernels/minpack_lm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "numeric/kernels/minpack.h"

namespace kora {
namespace {

struct LmRun {
    std::vector<double> x, fvec;
    int info = -1, nfev = 0;
};

template <class F> LmRun RunLmdif(F& fcn, int m, std::vector<double> x, double tol = 1e-12) {
    const int n = static_cast<int>(x.size());
    LmRun run;
    run.fvec.assign(m, 0.0);
    std::vector<double> diag(n), fjac(static_cast<size_t>(m) * n), qtf(n), wa1(n), wa2(n), wa3(n),
        wa4(m);
    std::vector<int> ipvt(n);
    lmdif(LeastSquaresFcn(fcn), m, n, x.data(), run.fvec.data(), tol, tol, 0.0, 200 * (n + 1), 0.0,
          diag.data(), 1, 100.0, 0, &run.info, &run.nfev, fjac.data(), m, ipvt.data(), qtf.data(),
          wa1.data(), wa2.data(), wa3.data(), wa4.data());
    run.x = x;
    return run;
}

// Bard's problem from the MINPACK test set: m = 15, n = 3; the published
// final residual norm from the standard start (1, 1, 1) is 9.063596e-2.
TEST(Lmdif, ReachesThePublishedOptimumOfBardsProblem) {
    const double y[15] = {0.14, 0.18, 0.22, 0.25, 0.29, 0.32, 0.35, 0.39,
                          0.37, 0.58, 0.73, 0.96, 1.34, 2.10, 4.39};
    auto bard = [&](int m, int, const double* x, double* f, int*) {
        for (int i = 0; i < m; ++i) {
            const double u = i + 1, v = 15 - i, w = std::min(u, v);
            f[i] = y[i] - (x[0] + u / (v * x[1] + w * x[2]));
        }
    };
    const LmRun run = RunLmdif(bard, 15, {1.0, 1.0, 1.0});
    EXPECT_GE(run.info, 1);
    EXPECT_LE(run.info, 4);
    EXPECT_NEAR(enorm(15, run.fvec.data()), 9.063596e-2, 1e-8);
    EXPECT_NEAR(run.x[0], 0.08241056, 1e-6);
    EXPECT_NEAR(run.x[1], 1.133036, 1e-5);
    EXPECT_NEAR(run.x[2], 2.343695, 1e-5);
}

// A linear model: the minimiser is the least squares solution, and the
// residual norm its closed-form value, from a start far away.
TEST(Lmdif, SolvesALinearLeastSquaresProblemExactly) {
    const double t[6] = {0, 1, 2, 3, 4, 5}, b[6] = {1.1, 2.9, 5.2, 6.8, 9.1, 11.0};
    auto line = [&](int m, int, const double* x, double* f, int*) {
        for (int i = 0; i < m; ++i)
            f[i] = x[0] + x[1] * t[i] - b[i];
    };
    const LmRun run = RunLmdif(line, 6, {100.0, -50.0});
    // Normal equations of the straight line.
    double st = 0, stt = 0, sb = 0, stb = 0;
    for (int i = 0; i < 6; ++i)
        st += t[i], stt += t[i] * t[i], sb += b[i], stb += t[i] * b[i];
    const double slope = (6 * stb - st * sb) / (6 * stt - st * st);
    const double intercept = (sb - slope * st) / 6;
    EXPECT_NEAR(run.x[0], intercept, 1e-8);
    EXPECT_NEAR(run.x[1], slope, 1e-8);
}

TEST(Lmdif, RefusesImproperInputAndStopsWhenAsked) {
    int calls = 0;
    auto stopAtThird = [&](int m, int, const double* x, double* f, int* iflag) {
        for (int i = 0; i < m; ++i)
            f[i] = x[0] - i;
        if (++calls == 3) *iflag = -7;
    };
    EXPECT_EQ(RunLmdif(stopAtThird, 0, {1.0}).info, 0); // m < n
    calls = 0;
    const LmRun stopped = RunLmdif(stopAtThird, 3, {5.0});
    EXPECT_EQ(stopped.info, -7);
    EXPECT_EQ(stopped.x[0], 5.0); // restored after the difference step
}

// qrsolv's x solves the damped problem [A; D] x = [b; 0]: the normal
// equations (A^T A + D^2) x = A^T b hold for it.
TEST(Qrsolv, SolvesTheDampedNormalEquations) {
    const int m = 4, n = 3;
    std::vector<double> a = {1, 2, 0, 1, 0, 1, 3, 1, 2, 0, 1, 4}; // column-major
    const std::vector<double> original = a, b = {1, -2, 3, 0.5}, d = {0.3, 1.5, 0.7};
    std::vector<double> rdiag(n), acnorm(n), wa(m), qtb(n), x(n), sdiag(n);
    std::vector<int> ipvt(n);
    qrfac(m, n, a.data(), m, true, ipvt.data(), n, rdiag.data(), acnorm.data(), wa.data());
    // Q^T b from the reflections, then R's diagonal in place.
    std::vector<double> work = b;
    for (int j = 0; j < n; ++j) {
        double sum = 0;
        for (int i = j; i < m; ++i)
            sum += a[j * m + i] * work[i];
        const double temp = -sum / a[j * m + j];
        for (int i = j; i < m; ++i)
            work[i] += a[j * m + i] * temp;
        a[j * m + j] = rdiag[j];
        qtb[j] = work[j];
    }
    qrsolv(n, a.data(), m, ipvt.data(), d.data(), qtb.data(), x.data(), sdiag.data(), wa.data());
    for (int k = 0; k < n; ++k) {
        double lhs = d[k] * d[k] * x[k], rhs = 0;
        for (int i = 0; i < m; ++i) {
            double ax = 0;
            for (int j = 0; j < n; ++j)
                ax += original[j * m + i] * x[j];
            lhs += original[k * m + i] * ax;
            rhs += original[k * m + i] * b[i];
        }
        EXPECT_NEAR(lhs, rhs, 1e-12);
    }
}

} // namespace
} // namespace kora

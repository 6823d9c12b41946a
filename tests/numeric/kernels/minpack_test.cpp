#include "numeric/kernels/minpack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace kora {
namespace {

int workSize(int n) {
    return n * (3 * n + 13) / 2;
}

void powellSingular(int, const double* x, double* f, int*) {
    f[0] = x[0] + 10 * x[1];
    f[1] = std::sqrt(5.0) * (x[2] - x[3]);
    f[2] = (x[1] - 2 * x[2]) * (x[1] - 2 * x[2]);
    f[3] = std::sqrt(10.0) * (x[0] - x[3]) * (x[0] - x[3]);
}

void rosenbrock(int, const double* x, double* f, int*) {
    f[0] = 10 * (x[1] - x[0] * x[0]);
    f[1] = 1 - x[0];
}

const double kTol = std::sqrt(2.22044604926e-16);

TEST(Hybrd1, SolvesRosenbrocksSystem) {
    double x[] = {-1.2, 1.0};
    double f[2];
    std::vector<double> wa(workSize(2));
    int info = -1;
    hybrd1(rosenbrock, 2, x, f, kTol, &info, wa.data(), static_cast<int>(wa.size()));
    EXPECT_EQ(info, 1);
    EXPECT_NEAR(x[0], 1.0, 1e-10);
    EXPECT_NEAR(x[1], 1.0, 1e-10);
    EXPECT_LT(enorm(2, f), 1e-10);
}

TEST(Hybrd1, ApproachesTheRootOfPowellsSingularFunction) {
    // The Jacobian is singular at the root, so convergence is only linear.
    double x[] = {3, -1, 0, 1};
    double f[4];
    std::vector<double> wa(workSize(4));
    int info = -1;
    hybrd1(powellSingular, 4, x, f, kTol, &info, wa.data(), static_cast<int>(wa.size()));
    EXPECT_GE(info, 1);
    EXPECT_LE(info, 4);
    EXPECT_LT(enorm(4, x), 1e-3);
    EXPECT_LT(enorm(4, f), 1e-6);
    // fvec belongs to the returned x.
    double check[4];
    int flag = 1;
    powellSingular(4, x, check, &flag);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(f[i], check[i]);
}

TEST(Hybrd1, ImproperInputReturnsZeroWithoutCallingFcn) {
    int calls = 0;
    auto counting = [&calls](int, const double*, double* f, int*) {
        ++calls;
        f[0] = f[1] = 0;
    };
    double x[] = {1, 1};
    double f[2];
    std::vector<double> wa(workSize(2));
    int info = -1;
    hybrd1(counting, 2, x, f, kTol, &info, wa.data(), workSize(2) - 1);
    EXPECT_EQ(info, 0);
    hybrd1(counting, 2, x, f, -1.0, &info, wa.data(), workSize(2));
    EXPECT_EQ(info, 0);
    hybrd1(counting, 0, x, f, kTol, &info, wa.data(), workSize(2));
    EXPECT_EQ(info, 0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(x[0], 1);
}

TEST(Hybrd1, StopByFcnIsReportedAndLeavesTheIterate) {
    const double start[] = {0.5, 2.0};
    double f[2];
    std::vector<double> wa(workSize(2));

    // Stop at the very first call.
    auto stopAtOnce = [](int, const double*, double*, int* iflag) { *iflag = -7; };
    double x[] = {start[0], start[1]};
    int info = 0;
    hybrd1(stopAtOnce, 2, x, f, kTol, &info, wa.data(), workSize(2));
    EXPECT_EQ(info, -7);

    // Stop inside the difference Jacobian: x must be the start point, not a
    // perturbed copy of it.
    int calls = 0;
    auto stopInJacobian = [&calls](int n, const double* xs, double* fs, int* iflag) {
        if (++calls == 3) *iflag = -1;
        rosenbrock(n, xs, fs, iflag);
    };
    hybrd1(stopInJacobian, 2, x, f, kTol, &info, wa.data(), workSize(2));
    EXPECT_EQ(info, -1);
    EXPECT_EQ(x[0], start[0]);
    EXPECT_EQ(x[1], start[1]);
}

struct Offset {
    double target;
};

void shiftedLinear(void* context, int n, const double* x, double* f, int*) {
    const double t = static_cast<Offset*>(context)->target;
    for (int i = 0; i < n; ++i)
        f[i] = 2 * x[i] - (i + 1) * t + (i > 0 ? x[i - 1] : 0.0);
}

TEST(Hybrd, ContextCallbackAndCallLimit) {
    Offset offset{3.0};
    const int n = 3;
    double x[n] = {0, 0, 0};
    double f[n], diag[n], fjac[n * n], r[n * (n + 1) / 2], qtf[n], w1[n], w2[n], w3[n], w4[n];
    int info = -1, nfev = 0;
    hybrd(MinpackFcn(shiftedLinear, &offset), n, x, f, kTol, 1000, n - 1, n - 1, 0.0, diag, 1,
          100.0, 0, &info, &nfev, fjac, n, r, n * (n + 1) / 2, qtf, w1, w2, w3, w4);
    EXPECT_EQ(info, 1);
    EXPECT_NEAR(2 * x[0], 3.0, 1e-9); // lower triangular system solved exactly
    EXPECT_GT(nfev, n);

    // Too few calls allowed for this nonlinear system.
    auto cubic = [](int m, const double* xs, double* fs, int*) {
        for (int i = 0; i < m; ++i)
            fs[i] = xs[i] * xs[i] * xs[i] - 8.0;
    };
    double y[n] = {10, -10, 10};
    hybrd(cubic, n, y, f, 0.0, 2, n - 1, n - 1, 0.0, diag, 1, 100.0, 0, &info, &nfev, fjac, n, r,
          n * (n + 1) / 2, qtf, w1, w2, w3, w4);
    EXPECT_EQ(info, 2);
}

} // namespace
} // namespace kora

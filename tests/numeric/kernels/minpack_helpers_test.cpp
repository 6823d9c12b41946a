#include "numeric/kernels/minpack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace kora {
namespace {

TEST(Enorm, SafeAgainstOverflowAndUnderflow) {
    const double big[] = {3e200, 4e200};
    EXPECT_DOUBLE_EQ(enorm(2, big), 5e200);
    const double tiny[] = {3e-200, 4e-200};
    EXPECT_DOUBLE_EQ(enorm(2, tiny), 5e-200);
    const double mixed[] = {3e-25, 1.0, 1e20, 0.0};
    EXPECT_DOUBLE_EQ(enorm(4, mixed), std::sqrt(1e40 + 1.0));
    const double plain[] = {1, 2, 2};
    EXPECT_DOUBLE_EQ(enorm(3, plain), 3.0);
    EXPECT_EQ(enorm(0, plain), 0.0);
}

// Builds a column-major m x n test matrix.
std::vector<double> matrix(int m, int n) {
    std::vector<double> a(m * n);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < m; ++i)
            a[j * m + i] = std::cos(1.0 + 2 * i + 5 * j * j);
    return a;
}

// Without pivoting, as the nonlinear solver factors its Jacobian.
TEST(QrFactorisation, QTimesRRebuildsTheMatrixAndQIsOrthogonal) {
    const int m = 5, n = 4;
    const std::vector<double> a = matrix(m, n);
    std::vector<double> q = a;
    std::vector<int> ipvt(n);
    std::vector<double> rdiag(n), acnorm(n), wa(m);
    qrfac(m, n, q.data(), m, false, ipvt.data(), n, rdiag.data(), acnorm.data(), wa.data());
    for (int j = 0; j < n; ++j)
        EXPECT_NEAR(acnorm[j], enorm(m, &a[j * m]), 1e-14);
    // R: strict upper part from q, diagonal from rdiag.
    std::vector<double> r(n * n, 0.0);
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < j; ++i)
            r[j * n + i] = q[j * m + i];
        r[j * n + j] = rdiag[j];
    }
    std::vector<double> full(m * m, 0.0);
    std::copy(q.begin(), q.end(), full.begin());
    qform(m, n, full.data(), m, wa.data());
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < m; ++i) {
            double qr = 0.0;
            for (int k = 0; k < n; ++k)
                qr += full[k * m + i] * r[j * n + k];
            EXPECT_NEAR(qr, a[j * m + i], 1e-13);
        }
    for (int j = 0; j < m; ++j)
        for (int k = 0; k < m; ++k) {
            double dot = 0.0;
            for (int i = 0; i < m; ++i)
                dot += full[j * m + i] * full[k * m + i];
            EXPECT_NEAR(dot, j == k ? 1.0 : 0.0, 1e-14);
        }
}

// Upper triangle packed by rows, as the solver keeps it.
std::vector<double> packRows(const std::vector<std::vector<double>>& rows) {
    std::vector<double> packed;
    for (size_t i = 0; i < rows.size(); ++i)
        for (size_t j = i; j < rows.size(); ++j)
            packed.push_back(rows[i][j]);
    return packed;
}

TEST(Dogleg, TakesTheNewtonStepInsideTheRegionAndStopsAtItsEdgeOtherwise) {
    const std::vector<double> r = packRows({{2, 1, 0}, {0, 4, 1}, {0, 0, 1}});
    const double diag[] = {1, 1, 1};
    const double qtb[] = {3, 5, 1};
    double x[3], w1[3], w2[3];
    dogleg(3, r.data(), 6, diag, qtb, 100.0, x, w1, w2);
    // Back substitution: x3 = 1, x2 = (5 - 1)/4 = 1, x1 = (3 - 1)/2 = 1.
    EXPECT_DOUBLE_EQ(x[0], 1);
    EXPECT_DOUBLE_EQ(x[1], 1);
    EXPECT_DOUBLE_EQ(x[2], 1);

    for (double delta : {1.2, 0.05}) {
        dogleg(3, r.data(), 6, diag, qtb, delta, x, w1, w2);
        EXPECT_NEAR(enorm(3, x), delta, 1e-12) << "delta=" << delta;
    }

    // A singular R still yields a finite step.
    const std::vector<double> s = packRows({{1, 1}, {0, 0}});
    const double d2[] = {1, 1};
    const double b2[] = {1, 1};
    dogleg(2, s.data(), 3, d2, b2, 1.0, x, w1, w2);
    EXPECT_TRUE(std::isfinite(x[0]) && std::isfinite(x[1]));
    EXPECT_NEAR(enorm(2, x), 1.0, 1e-12);
}

void tridiagonal(int n, const double* x, double* f, int*) {
    for (int i = 0; i < n; ++i) {
        f[i] = (3 - 2 * x[i]) * x[i] + 1;
        if (i > 0) f[i] -= x[i - 1];
        if (i + 1 < n) f[i] -= 2 * x[i + 1] * x[i + 1];
    }
}

TEST(Fdjac1, DifferencesMatchTheExactJacobianAndLeaveXAlone) {
    const int n = 7;
    std::vector<double> x(n);
    for (int i = 0; i < n; ++i)
        x[i] = i == 3 ? 0.0 : -1.0 + 0.3 * i; // a zero component takes the absolute step
    std::vector<double> f(n), w1(n), w2(n), jac(n * n);
    int flag = 1;
    tridiagonal(n, x.data(), f.data(), &flag);
    const std::vector<double> x0 = x;
    fdjac1(tridiagonal, n, x.data(), f.data(), jac.data(), n, &flag, n, n, 0.0, w1.data(),
           w2.data());
    EXPECT_EQ(x, x0);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const double exact =
                i == j ? 3 - 4 * x[i] : (i == j + 1 ? -1.0 : (j == i + 1 ? -4 * x[j] : 0.0));
            EXPECT_NEAR(jac[j * n + i], exact, 1e-6) << i << "," << j;
        }
}

TEST(Fdjac1, StopLeavesTheFlagAndRestoresX) {
    double x[] = {1.5, -2.0, 0.25};
    double f[3], w1[3], w2[3], jac[9];
    int calls = 0;
    auto stopSecond = [&calls](int, const double*, double* fs, int* fl) {
        fs[0] = fs[1] = fs[2] = 0;
        if (++calls == 2) *fl = -4;
    };
    for (int ml : {3, 1}) { // dense and banded paths
        calls = 0;
        int flag = 2;
        fdjac1(stopSecond, 3, x, f, jac, 3, &flag, ml, 0, 0.0, w1, w2);
        EXPECT_EQ(flag, -4);
        EXPECT_EQ(x[0], 1.5);
        EXPECT_EQ(x[1], -2.0);
        EXPECT_EQ(x[2], 0.25);
    }
}

TEST(RankOneUpdate, FactorsOfTheUpdatedMatrixStayConsistent) {
    // S lower triangular, packed by columns; (S + u v^T) Q must be lower
    // triangular again, and r1mpyq applies the same Q to any matrix.
    const int n = 3;
    const double lower[n][n] = {{2, 0, 0}, {1, 3, 0}, {-1, 0.5, 1.5}};
    std::vector<double> s;
    for (int j = 0; j < n; ++j)
        for (int i = j; i < n; ++i)
            s.push_back(lower[i][j]);
    const double u[] = {0.3, -0.2, 0.7};
    double v[] = {1.0, 0.4, -0.5};
    double w[n];
    bool sing = true;
    std::vector<double> m(n * n); // S + u v^T, column-major
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
            m[j * n + i] = lower[i][j] + u[i] * v[j];
    r1updt(n, n, s.data(), static_cast<int>(s.size()), u, v, w, &sing);
    EXPECT_FALSE(sing);
    r1mpyq(n, n, m.data(), n, v, w);
    int l = 0;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < j; ++i)
            EXPECT_NEAR(m[j * n + i], 0.0, 1e-13);
        for (int i = j; i < n; ++i)
            EXPECT_NEAR(m[j * n + i], s[l++], 1e-13);
    }
}

} // namespace
} // namespace kora

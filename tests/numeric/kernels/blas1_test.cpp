#include "numeric/kernels/blas1.h"

#include <gtest/gtest.h>

#include <vector>

namespace kora {
namespace {

// Reference loops against which the unrolled unit-stride paths are compared,
// for lengths that leave every possible remainder.
TEST(Blas1, UnitStridePathsMatchPlainLoops) {
    for (int n = 0; n <= 12; ++n) {
        std::vector<double> x(n), y(n), ref(n);
        for (int i = 0; i < n; ++i) {
            x[i] = 0.1 * (i + 1) - 0.37 * (i % 3);
            y[i] = 1.0 / (i + 2);
        }
        double dot = 0.0;
        for (int i = 0; i < n; ++i) {
            dot += x[i] * y[i];
            ref[i] = y[i] + 2.5 * x[i];
        }
        EXPECT_EQ(ddot(n, x.data(), 1, y.data(), 1), dot) << "n=" << n;
        daxpy(n, 2.5, x.data(), 1, y.data(), 1);
        EXPECT_EQ(y, ref) << "n=" << n;
        dscal(n, -3.0, y.data(), 1);
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(y[i], -3.0 * ref[i]);
    }
}

TEST(Blas1, StridesAndPivotSearch) {
    const double x[] = {1, 100, 2, 100, 3};
    double y[] = {10, 20, 30};
    // incx = 2 takes 1, 2, 3; incy = -1 pairs them with y[2], y[1], y[0].
    EXPECT_EQ(ddot(3, x, 2, y, -1), 1 * 30 + 2 * 20 + 3 * 10);
    daxpy(3, 1.0, x, 2, y, -1);
    EXPECT_EQ(y[0], 13);
    EXPECT_EQ(y[2], 31);
    dscal(2, 2.0, y, 2);
    EXPECT_EQ(y[1], 22);
    EXPECT_EQ(y[2], 62);

    // The pivot is the first of the largest magnitudes, numbered from 1.
    const double tie[] = {1, -7, 3, 7, -7};
    EXPECT_EQ(idamax(5, tie, 1), 2);
    EXPECT_EQ(idamax(3, tie, 2), 3); // elements 1, 3, -7
    EXPECT_EQ(idamax(0, tie, 1), 0);
}

} // namespace
} // namespace kora

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

// The pivot is the first of the largest magnitudes, numbered from 1.
TEST(Blas1, IdamaxFindsTheFirstLargest) {
    const double tie[] = {1, -7, 3, 7, -7};
    EXPECT_EQ(idamax(5, tie, 1), 2);
    EXPECT_EQ(idamax(1, tie, 1), 1);
}

} // namespace
} // namespace kora

#include "numeric/kernels/linpack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kora {
namespace {

// Column-major n x n matrix with a deterministic, well-conditioned fill.
std::vector<double> testMatrix(int n) {
    std::vector<double> a(n * n);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
            a[j * n + i] = std::sin(1.0 + 3 * i + 7 * j) + (i == j ? 0.5 : 0.0);
    return a;
}

std::vector<double> multiply(const std::vector<double>& a, int n, const std::vector<double>& x,
                             bool transpose) {
    std::vector<double> b(n, 0.0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            b[i] += (transpose ? a[i * n + j] : a[j * n + i]) * x[j];
    return b;
}

TEST(Linpack, DenseSolveRecoversKnownSolutionForBothJobs) {
    const int n = 6;
    const std::vector<double> a = testMatrix(n);
    std::vector<double> x(n);
    for (int i = 0; i < n; ++i)
        x[i] = i - 2.5;
    for (int job : {0, 1}) {
        std::vector<double> lu = a;
        std::vector<int> ipvt(n);
        int info = -1;
        dgefa(lu.data(), n, n, ipvt.data(), info);
        ASSERT_EQ(info, 0);
        for (int p : ipvt)
            EXPECT_TRUE(p >= 1 && p <= n);
        std::vector<double> b = multiply(a, n, x, job != 0);
        dgesl(lu.data(), n, n, ipvt.data(), b.data(), job);
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(b[i], x[i], 1e-12) << "job=" << job << " i=" << i;
    }
}

TEST(Linpack, DenseHonoursLeadingDimensionAndPivotsOnFirstLargest) {
    // 2 x 2 matrix inside a 3-row array; column 1 is (2, -2): the tie picks row 1.
    double a[] = {2, -2, 99, 1, 3, 99};
    int ipvt[2];
    int info = -1;
    dgefa(a, 3, 2, ipvt, info);
    EXPECT_EQ(info, 0);
    EXPECT_EQ(ipvt[0], 1);
    EXPECT_EQ(ipvt[1], 2);
    EXPECT_EQ(a[2], 99); // padding untouched
    double b[] = {3, 1}; // A * (1, 1)
    dgesl(a, 3, 2, ipvt, b, 0);
    EXPECT_DOUBLE_EQ(b[0], 1);
    EXPECT_DOUBLE_EQ(b[1], 1);
}

TEST(Linpack, ZeroColumnReportsItsNumberAndSingularLastPivot) {
    // Column 2 is exactly zero.
    double a[] = {1, 2, 3, 0, 0, 0, 4, 5, 7};
    int ipvt[3];
    int info = 0;
    dgefa(a, 3, 3, ipvt, info);
    EXPECT_EQ(info, 2);

    // Rank-deficient in the last column only: the final pivot is zero.
    double c[] = {1, 2, 2, 4};
    dgefa(c, 2, 2, ipvt, info);
    EXPECT_EQ(info, 2);

    int none = 7;
    dgefa(nullptr, 1, 0, nullptr, none); // empty system: nothing touched
    EXPECT_EQ(none, 0);
}

} // namespace
} // namespace kora

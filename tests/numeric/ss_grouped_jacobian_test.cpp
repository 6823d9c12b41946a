// The steady-state difference Jacobian perturbing groups of columns at once
// must produce the one-column loop's numbers with fewer evaluations.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "numeric/kernels/minpack.h"
#include "numeric/lsoda_column_groups.h"

namespace kora {
namespace {

// Broyden's tridiagonal function, which `stopAt` makes stop fcn wherever
// columns 0 and stopAt are perturbed together (and nowhere else).
struct Tridiagonal {
    int calls = 0;
    int stopAt = -1;
    std::vector<double> start;

    void operator()(int n, const double* x, double* f, int* iflag) {
        ++calls;
        if (stopAt >= 0 && x[0] != start[0] && x[stopAt] != start[static_cast<size_t>(stopAt)]) {
            *iflag = -1;
            return;
        }
        for (int i = 0; i < n; ++i) {
            const double left = i > 0 ? x[i - 1] : 0.0;
            const double right = i + 1 < n ? x[i + 1] : 0.0;
            f[i] = (3.0 - 2.0 * x[i]) * x[i] - left - 2.0 * right + 1.0;
        }
    }
};

ColumnGroups TridiagonalGroups(int n) {
    std::vector<std::vector<int32_t>> reads(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        for (int j = std::max(0, i - 1); j <= std::min(n - 1, i + 1); ++j)
            reads[static_cast<size_t>(i)].push_back(j);
    ColumnGroups groups;
    BuildColumnGroups(reads, groups);
    return groups;
}

ColumnGrouping ViewOf(const ColumnGroups& g) {
    return {g.GroupCount(), g.groupStart.data(), g.columns.data(), g.rowStart.data(),
            g.rows.data()};
}

constexpr int kN = 12;

std::vector<double> Jacobian(Tridiagonal& fcn, const ColumnGrouping* grouping) {
    std::vector<double> x = fcn.start, fvec(kN), fjac(kN * kN, -7.0), wa1(kN), wa2(kN);
    int iflag = 1;
    fcn(kN, x.data(), fvec.data(), &iflag);
    if (grouping != nullptr)
        fdjac1Grouped(fcn, kN, x.data(), fvec.data(), fjac.data(), kN, &iflag, *grouping, 0.0,
                      wa1.data(), wa2.data());
    else
        fdjac1(fcn, kN, x.data(), fvec.data(), fjac.data(), kN, &iflag, kN, kN, 0.0, wa1.data(),
               wa2.data());
    EXPECT_EQ(iflag, 1);
    EXPECT_EQ(x, fcn.start);
    return fjac;
}

TEST(SsGroupedJacobian, EqualsOneColumnLoopWithOneEvaluationPerGroup) {
    const ColumnGroups groups = TridiagonalGroups(kN);
    ASSERT_EQ(groups.GroupCount(), 3);
    const ColumnGrouping view = ViewOf(groups);
    std::vector<double> start;
    for (int i = 0; i < kN; ++i)
        start.push_back(i == 4 ? 0.0 : -0.7 + 0.31 * i); // a zero takes the bare increment
    for (int stopAt : {-1, 3}) { // 3 shares a group with 0: that group is redone column by column
        Tridiagonal loop{0, stopAt, start}, grouped{0, stopAt, start};
        const std::vector<double> expected = Jacobian(loop, nullptr);
        const std::vector<double> actual = Jacobian(grouped, &view);
        EXPECT_EQ(actual, expected) << "stopAt " << stopAt;
        EXPECT_EQ(loop.calls, 1 + kN);
        EXPECT_LT(grouped.calls, loop.calls);
    }
}

TEST(SsGroupedJacobian, SearchReachesTheSameRootWithFewerEvaluations) {
    const ColumnGroups groups = TridiagonalGroups(kN);
    const ColumnGrouping view = ViewOf(groups);
    std::vector<double> roots[2];
    int calls[2] = {};
    for (int grouped = 0; grouped < 2; ++grouped) {
        Tridiagonal fcn{0, -1, std::vector<double>(kN, -1.0)};
        std::vector<double> x = fcn.start, fvec(kN), wa(kN * (3 * kN + 13) / 2);
        int info = 0;
        hybrd1(fcn, kN, x.data(), fvec.data(), 1e-10, &info, wa.data(), static_cast<int>(wa.size()),
               grouped ? &view : nullptr);
        EXPECT_EQ(info, 1);
        roots[grouped] = x;
        calls[grouped] = fcn.calls;
    }
    EXPECT_EQ(roots[1], roots[0]);
    EXPECT_LT(calls[1], calls[0]);
}

} // namespace
} // namespace kora

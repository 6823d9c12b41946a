#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "results/qt/plot_marks.h"

namespace kora {
namespace {

using Extent = std::pair<double, double>; // lowest, highest y

std::map<long, Extent> ColumnExtents(const std::vector<PlotPoint>& points, double width) {
    std::map<long, Extent> extents;
    for (const PlotPoint& p : points) {
        const long column = static_cast<long>(std::floor(p.x / width));
        auto [it, fresh] = extents.try_emplace(column, p.y, p.y);
        if (!fresh)
            it->second = {std::min(it->second.first, p.y), std::max(it->second.second, p.y)};
    }
    return extents;
}

TEST(ThinnedLines, KeepEachColumnsExtentEndsAndOrder) {
    // 100,000 points of a fast oscillation over 200 columns.
    std::vector<PlotPoint> dense;
    for (int i = 0; i < 100000; ++i)
        dense.push_back({i * 0.002, std::sin(i * 0.37) + 0.001 * i});
    std::vector<PlotPoint> thin;
    ThinToColumns(dense.data(), dense.size(), 1.0, thin);
    EXPECT_LE(thin.size(), 4u * 200u);
    EXPECT_EQ(ColumnExtents(thin, 1.0), ColumnExtents(dense, 1.0));
    EXPECT_EQ(thin.front().x, dense.front().x);
    EXPECT_EQ(thin.back().x, dense.back().x);
    for (size_t i = 1; i < thin.size(); ++i)
        EXPECT_LE(thin[i - 1].x, thin[i].x);
}

TEST(ThinnedLines, ALineThatComesBackKeepsEveryVisit) {
    // A phase plot crossing the same columns twice: each pass stays.
    std::vector<PlotPoint> loop;
    for (int i = 0; i < 400; ++i)
        loop.push_back({std::cos(i * 0.0157) * 3, std::sin(i * 0.0157) * 3});
    std::vector<PlotPoint> thin;
    ThinToColumns(loop.data(), loop.size(), 1.0, thin);
    EXPECT_EQ(ColumnExtents(thin, 1.0), ColumnExtents(loop, 1.0));
    // Sparse points are kept as they are.
    std::vector<PlotPoint> sparse{{0.5, 1}, {1.5, 2}, {2.5, 0}};
    ThinToColumns(sparse.data(), sparse.size(), 1.0, thin);
    ASSERT_EQ(thin.size(), 3u);
    EXPECT_EQ(thin[2].y, 0);
}

} // namespace
} // namespace kora

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "render_test_util.h"
#include "results/qt/plot_colour.h"
#include "results/qt/plot_geometry.h"
#include "results/qt/plot_legend.h"
#include "results/qt/plot_lines.h"

namespace kora {
namespace {

using testing::MakeCourse;
using testing::MakeSet;

TEST(PlotColour, ForegroundContrastsWithBackground) {
    EXPECT_EQ(ContrastForeground(0x000000), kWhite);
    EXPECT_EQ(ContrastForeground(0xFFFFFF), kBlack);
    EXPECT_EQ(ContrastForeground(0x800000), kWhite); // navy: lightness 0.25
    EXPECT_EQ(ContrastForeground(0x00FFFF), kBlack); // yellow: lightness 0.5
    EXPECT_EQ(ContrastForeground(0x727272), kWhite); // lightness 0.447
    EXPECT_EQ(ContrastForeground(0x737373), kBlack); // lightness 0.451
    EXPECT_EQ(ResolveColour(kSystemWindowColour, 0x101010), 0x101010u);
    EXPECT_EQ(ResolveColour(0x01123456), 0x123456u);
}

TEST(PlotGeometry, SpansWidenAndHoldFarValues) {
    const AxisSpan flat = MakeAxisSpan(3, 3);
    EXPECT_EQ(flat.end, 4);
    const AxisSpan bad = MakeAxisSpan(0, std::numeric_limits<double>::infinity());
    EXPECT_EQ(bad.start, 0);
    EXPECT_EQ(bad.end, 1);

    const AxisSpan span = MakeAxisSpan(0, 10);
    EXPECT_DOUBLE_EQ(span.Fraction(5), 0.5);
    EXPECT_DOUBLE_EQ(span.Fraction(25), 2); // held one range above the top
    EXPECT_DOUBLE_EQ(span.Fraction(1e300), 2);
    EXPECT_DOUBLE_EQ(span.Fraction(-15), -1.5);
    EXPECT_DOUBLE_EQ(span.Fraction(-1e300), -2); // two ranges below the bottom
    EXPECT_TRUE(std::isnan(span.Fraction(std::nan(""))));
    // A reversed span holds in the same way.
    EXPECT_DOUBLE_EQ(MakeAxisSpan(10, 0).Fraction(-100), 2);
}

TEST(PlotGeometry, FrameLeavesRoomForTheLegendAndMapsTheDepthCorner) {
    FrameInput in;
    in.area = Box{0, 0, 1000, 600};
    in.bottomReserve = 80;
    in.topReserve = 20;
    in.depth = true;
    const PlotFrame deep = LayOutFrame(in);
    EXPECT_DOUBLE_EQ(deep.bottom, 520);
    EXPECT_DOUBLE_EQ(deep.top, 60); // at least a tenth of the height
    in.topReserve = 90;
    EXPECT_DOUBLE_EQ(LayOutFrame(in).top, 90); // room for a title
    // The far corner of the depth axis is the top right of the plot.
    const PlotPoint far = deep.Map(1, 1, 1);
    EXPECT_DOUBLE_EQ(far.x, deep.right);
    EXPECT_DOUBLE_EQ(far.y, deep.top);
}

// Grid lines of all three planes stay within the plot.
TEST(PlotGeometry, GridStaysInsideTheFrame) {
    PlotFrame f{0, 0, 90, 60, 30, 20};
    FrameTicks ticks;
    ticks.x = AxisTicks(MakeAxisSpan(0.5, 9.5), 5);
    ticks.y = AxisTicks(MakeAxisSpan(1e-3, 10, true), 5);
    ticks.z = AxisTicks(MakeAxisSpan(-3, 3), 5);
    for (const Segment& s : GridLines(f, true, ticks)) {
        for (const PlotPoint& p : {s.from, s.to}) {
            EXPECT_TRUE(p.x > -1e-9 && p.x < f.right + 1e-9 && p.y > -1e-9 &&
                        p.y < f.bottom + 1e-9);
        }
    }
}

TEST(PlotLegend, ColumnsShrinkUntilTheyFit) {
    const std::vector<double> widths(10, 100.0);
    LegendLayout wide = LayOutLegend(widths, 800, 10);
    EXPECT_EQ(wide.columns, 7);
    EXPECT_EQ(wide.rows, 2);
    EXPECT_EQ(wide.shown, 10);
    LegendLayout narrow = LayOutLegend(widths, 450, 10);
    EXPECT_EQ(narrow.columns, 4);
    EXPECT_EQ(narrow.rows, 3);
    EXPECT_DOUBLE_EQ(narrow.columnLeft[3], 300);
    // Columns are as wide as their widest entry.
    LegendLayout mixed = LayOutLegend({50, 10, 10, 10, 80}, 1000, 10);
    EXPECT_EQ(mixed.columns, 5);
    EXPECT_DOUBLE_EQ(mixed.columnLeft[1], 50);
    EXPECT_EQ(LayOutLegend(widths, 10, 10).columns, 1);
    const LegendLayout capped = LayOutLegend(widths, 10, 4);
    EXPECT_EQ(capped.rows, 4);
    EXPECT_EQ(capped.shown, 4);
    EXPECT_EQ(LayOutLegend({}, 100, 3).rows, 0);
}

TEST(PlotLegend, EntryTexts) {
    ResultsSet set = MakeSet();
    auto value = [](int32_t, int32_t c) { return double(c); };
    set.timeCourses.push_back(MakeCourse("", {"t", "X", "Y"}, 3, value));
    set.timeCourses[0].lineStyles[2].visible = false;
    auto one = LegendEntries(set, kViewTimePlot);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].text, "X");

    set.timeCourses.push_back(MakeCourse("run", {"t", "X", "Y"}, 3, value));
    set.runColours = false; // one colour per variable, whatever the run
    auto many = LegendEntries(set, kViewTimePlot);
    ASSERT_EQ(many.size(), 3u);
    EXPECT_EQ(many[0].text, "0:X");
    EXPECT_EQ(many[1].text, "run:X");
    EXPECT_EQ(many[2].text, "run:Y");

    set.timeCourses[1].PhaseRecord(kTrajectoryRecord).visible = false;
    auto phase = LegendEntries(set, kViewPhase3D);
    ASSERT_EQ(phase.size(), 1u);
    EXPECT_EQ(phase[0].text, "0");
}

TEST(PlotLines, WhichLinesAreDrawn) {
    ResultsSet set = MakeSet();
    auto value = [](int32_t, int32_t) { return 1.0; };
    set.timeCourses.push_back(MakeCourse("a", {"t"}, 4, value));
    set.timeCourses.push_back(MakeCourse("b", {"t", "X"}, 4, value));
    TimeCourse& b = set.timeCourses[1];
    for (int32_t rec = kTrajectoryRecord; rec <= kProjectionRecord3; ++rec)
        b.PhaseRecord(rec).visible = true;

    // A course of times alone has no line in the time plot.
    const auto time = LinesToDraw(set, kViewTimePlot);
    ASSERT_EQ(time.size(), 1u);
    EXPECT_EQ(time[0].course, 1u);
    EXPECT_EQ(time[0].column, 1);

    auto records = [&](int8_t view) {
        std::vector<int32_t> out;
        for (const PlotLine& line : LinesToDraw(set, view))
            if (line.course == 1) out.push_back(line.phaseRecord);
        return out;
    };
    EXPECT_EQ(records(kViewPhase2D), (std::vector<int32_t>{2, 1, 0}));
    EXPECT_EQ(records(kViewPhase3D), (std::vector<int32_t>{3, 2, 1, 0}));
}

TEST(PlotLines, PointsAreClippedInTimeAndHeldInValue) {
    ResultsSet set = MakeSet(4);
    set.ranges[kXmin] = 1;
    set.timeCourses.push_back(MakeCourse("", {"t", "X"}, 8, [](int32_t r, int32_t) {
        return r == 2 ? std::nan("") : r == 3 ? 1e9 : 5.0;
    }));
    const PlotFrame f{0, 0, 100, 100, 0, 0};
    std::vector<PlotPoint> points(8);
    size_t leftOut = 0;
    const size_t n = LinePoints(set, PlotLine{0, 1, -1}, f, AxesForView(set, kViewTimePlot),
                                points.data(), leftOut);
    EXPECT_EQ(leftOut, 0u);
    ASSERT_EQ(n, 4u); // times 1 to 4
    EXPECT_DOUBLE_EQ(points[0].y, 50);
    EXPECT_TRUE(std::isnan(points[1].y));
    EXPECT_DOUBLE_EQ(points[2].y, -100); // one range above the top
    EXPECT_DOUBLE_EQ(points[3].x, 100);
}

TEST(PlotGeometry, EveryAxisKeepsLabelsAtLeastAtItsEnds) {
    for (const AxisSpan& span : {MakeAxisSpan(1e20, 1e20 + 98304), MakeAxisSpan(0, 10),
                                 MakeAxisSpan(10, 0), MakeAxisSpan(1e-9, 1e9, true)}) {
        const std::vector<PlacedTick> ticks = AxisTicks(span, 5);
        ASSERT_GE(std::count_if(ticks.begin(), ticks.end(),
                                [](const PlacedTick& t) { return !t.label.empty(); }),
                  2)
            << span.start;
        EXPECT_TRUE(std::is_sorted(
            ticks.begin(), ticks.end(),
            [](const PlacedTick& a, const PlacedTick& b) { return a.fraction < b.fraction; }));
        EXPECT_GE(ticks.front().fraction, 0);
        EXPECT_LE(ticks.back().fraction, 1);
    }
}

TEST(PlotLines, LogAxesLeaveOutValuesAtOrBelowZero) {
    ResultsSet set = MakeSet(4);
    set.logY = true;
    set.ranges[kYmin] = 1e-6;
    set.ranges[kYmax] = 1;
    set.timeCourses.push_back(MakeCourse("", {"t", "X"}, 5, [](int32_t r, int32_t) {
        return r == 1 ? 0.0 : r == 2 ? -1.0 : r == 3 ? std::nan("") : std::pow(10.0, -2.0 * r);
    }));
    const PlotFrame f{0, 0, 100, 60, 0, 0};
    std::vector<PlotPoint> points(5);
    size_t leftOut = 0;
    LinePoints(set, PlotLine{0, 1, -1}, f, AxesForView(set, kViewTimePlot), points.data(), leftOut);
    EXPECT_EQ(leftOut, 2u);            // 0 and -1; NaN is no value at all
    EXPECT_DOUBLE_EQ(points[0].y, 0);  // 10^0 at the top
    EXPECT_DOUBLE_EQ(points[4].y, 80); // 10^-8 lies two decades (a third) below the bottom
    EXPECT_TRUE(std::isnan(points[1].y) && std::isnan(points[2].y));
    // Each decade takes the same height.
    const AxisSpan span = MakeAxisSpan(1e-6, 1, true);
    EXPECT_DOUBLE_EQ(span.Fraction(1e-3), 0.5);
    EXPECT_DOUBLE_EQ(MakeAxisSpan(0, 100, true).start, 1e-4); // six decades below the end
}

TEST(PlotLines, PhaseColumnsStayInsideTheCourse) {
    const TimeCourse course =
        MakeCourse("", {"t", "X", "Y"}, 1, [](int32_t, int32_t) { return 0.0; });
    EXPECT_EQ(PhaseColumns(course, {5, -2, 1}), (std::array<int32_t, 3>{2, 0, 1}));
    const TimeCourse times = MakeCourse("", {"t"}, 1, [](int32_t, int32_t) { return 0.0; });
    EXPECT_EQ(PhaseColumns(times, {1, 2, 3}), (std::array<int32_t, 3>{0, 0, 0}));
}

} // namespace
} // namespace kora

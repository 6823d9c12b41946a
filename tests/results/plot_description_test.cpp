#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "results/brightness_spread.h"
#include "results/graph_section.h"
#include "results/line_record.h"
#include "results/plot_ranges.h"
#include "results/results_file.h"
#include "results_test_util.h"

namespace kora {
namespace {

using testing::MakeCourse;

std::vector<std::string> RangeLines() {
    return {"Xmin=0",      "Ymin=0",      "Xmax=1",      "Ymax=1",      "Xphasemin=0",
            "Yphasemin=0", "Zphasemin=0", "Xphasemax=1", "Yphasemax=1", "Zphasemax=1"};
}

TEST(LineRecord, ParseRules) {
    LineStyle record{false, 7, 2};
    ParseLineRecord("X|dotted|255", record);
    EXPECT_EQ(record, (LineStyle{true, 255, 4}));
    ParseLineRecord("X|invisible|255|9", record);
    EXPECT_EQ(record, (LineStyle{false, 255, 1}));
    ParseLineRecord("", record);
    EXPECT_EQ(record, (LineStyle{false, 255, 1}));
    ParseLineRecord("X|wide|oops", record);
    EXPECT_EQ(record, (LineStyle{true, 255, 1}));
    ParseLineRecord("X|3|-2147483643", record);
    EXPECT_EQ(record, (LineStyle{true, kSystemWindowColour, 3}));

    for (const LineStyle& original : {LineStyle{true, 0xFF00FF, 6}, LineStyle{false, 1, 5}}) {
        LineStyle read;
        ParseLineRecord(FormatLineRecord(original, "Name"), read);
        EXPECT_EQ(read, original);
    }
    EXPECT_EQ(FormatLineRecord(LineStyle{false, 255, 2}, "X"), "X|invisible|255|2");
}

TEST(GraphSection, MissingKeysTakeTheReadDefaults) {
    ResultsSet set;
    std::vector<std::string> lines = RangeLines();
    lines.insert(lines.end(), {"Axis=0", "Grid=0", "View=9", "WidthInPx=wide", "Resize=no"});
    ASSERT_TRUE(ReadGraphSection(set, lines).ok);
    EXPECT_FALSE(set.axis);
    EXPECT_FALSE(set.grid);
    EXPECT_TRUE(set.legend);
    EXPECT_TRUE(set.resize);
    EXPECT_EQ(set.view, kViewTimePlot);
    EXPECT_EQ(set.xTicks, 4); // a new set has 10
    EXPECT_EQ(set.zPhaseTicks, 10);
    EXPECT_EQ(set.widthInPx, 200);
    EXPECT_TRUE(set.rangesKnown);
}

TEST(GraphSection, BadRangeRejectsTheSectionUnchanged) {
    ResultsSet set;
    std::vector<std::string> lines = RangeLines();
    lines[3] = "Ymax=big";
    lines.push_back("Axis=0");
    EXPECT_FALSE(ReadGraphSection(set, lines).ok);
    lines[3] = "Ymax=nan";
    EXPECT_FALSE(ReadGraphSection(set, lines).ok);
    lines.erase(lines.begin() + 3);
    EXPECT_FALSE(ReadGraphSection(set, lines).ok);
    EXPECT_TRUE(set.axis);
    EXPECT_FALSE(set.rangesKnown);
}

TEST(GraphSection, RoundTripKeepsDescriptionAndEveryLineRecord) {
    ResultsSet written;
    written.timeCourses.push_back(MakeCourse("a", {"t", "X", "Y"}, {{0, 1, 2}}));
    written.timeCourses.push_back(MakeCourse("b", {"t", "Z"}, {{0, 1}}));
    written.view = kViewPhase3D;
    written.grid = true;
    written.yPhaseTicks = 3;
    written.ranges = {0.1, -2, 5e7, 1.0 / 3.0, 1, 2, 3, 4, 5, 6};
    written.timeCourses[0].lineStyles[2] = LineStyle{false, 0x123456, 5};
    written.timeCourses[1].lineStyles[1] = LineStyle{true, 42, 3};
    written.timeCourses[1].PhaseRecord(kProjectionRecord2) = LineStyle{true, 7, 6};

    std::vector<std::string> lines;
    WriteGraphSection(written, lines, ',');
    EXPECT_EQ(lines[0], "View=3");
    EXPECT_EQ(lines[6], "Xmax=50000000");
    EXPECT_EQ(lines[7], "Ymax=0,333333333333333");
    EXPECT_EQ(lines[25], "Line1=X|1|255");
    // Keys added later follow the line entries.
    const auto added = std::find(lines.begin(), lines.end(), "ShowTitle=0");
    ASSERT_NE(added, lines.end());
    EXPECT_EQ(*(added - 1), "Line5_1=Proj3|invisible|8421376|1");

    ResultsSet read;
    read.timeCourses.push_back(MakeCourse("", {"t", "X", "Y"}, {{0, 1, 2}}));
    read.timeCourses.push_back(MakeCourse("", {"t", "Z"}, {{0, 1}}));
    ASSERT_TRUE(ReadGraphSection(read, lines, '.').ok);
    EXPECT_EQ(read.view, kViewPhase3D);
    EXPECT_TRUE(read.grid);
    EXPECT_EQ(read.yPhaseTicks, 3);
    written.ranges[kYmax] = 0.333333333333333;
    EXPECT_EQ(read.ranges, written.ranges);
    for (size_t k = 0; k < 2; ++k)
        EXPECT_EQ(read.timeCourses[k].lineStyles, written.timeCourses[k].lineStyles) << k;
    ASSERT_EQ(read.displaySets.size(), 2u);
    EXPECT_EQ(read.displaySets[1].columns, 2);
}

TEST(PlotRanges, ValueRangesRoundOutwards) {
    ResultsSet set;
    set.timeCourses.push_back(MakeCourse("", {"t", "x"}, {{1, 0.3}, {4, 7.2}}));
    Recompute(set);
    EXPECT_EQ(set.ranges[kYmin], 0);
    EXPECT_EQ(set.ranges[kYmax], 8);
    EXPECT_EQ(set.ranges[kZphasemax], 8);
    EXPECT_EQ(set.ranges[kXmin], 1);
    EXPECT_EQ(set.ranges[kXmax], 4);
    EXPECT_EQ(set.phaseVar, (std::array<int32_t, 3>{1, 1, 1}));
    EXPECT_TRUE(set.rangesKnown);

    set.Clear();
    set.timeCourses.push_back(MakeCourse("", {"t", "x"}, {{0, -0.3}, {1, -7.2}}));
    Recompute(set);
    EXPECT_EQ(set.ranges[kYmin], -8);
    EXPECT_EQ(set.ranges[kYmax], 0);
    EXPECT_FALSE(std::signbit(set.ranges[kYmax]));

    set.Clear();
    set.timeCourses.push_back(MakeCourse("", {"t", "x"}, {{2, 1e300}}));
    Recompute(set);
    EXPECT_EQ(set.ranges[kYmax], 4e100);
    EXPECT_EQ(set.ranges[kXmax], 3); // one time point still spans an axis
}

TEST(PlotRanges, SettledDescriptionKeepsValueRangesButFollowsTime) {
    ResultsSet set;
    set.timeCourses.push_back(MakeCourse("", {"t", "x", "y"}, {{0, 1, 2}, {1, 3, 4}}));
    Recompute(set);
    set.phaseVar = {5, 1, 2};
    set.timeCourses.push_back(MakeCourse("", {"t", "x", "y"}, {{0, 1, 2}, {10, 300, 4}}));
    Recompute(set);
    EXPECT_EQ(set.ranges[kYmax], 4);
    EXPECT_EQ(set.ranges[kXmax], 10);
    EXPECT_EQ(set.phaseVar[0], 2);
}

TEST(PlotRanges, UnsettledDescriptionTakesTheResultsFileSection) {
    const std::string path = ::testing::TempDir() + "kora_recompute.res";
    ResultsSet saved;
    saved.timeCourses.push_back(MakeCourse("", {"t", "x"}, {{0, 1}, {1, 2}}));
    saved.ranges[kYmax] = 123;
    saved.timeCourses[0].lineStyles[1].colour = 99;
    ASSERT_TRUE(WriteResultsFile(saved, path));

    ResultsSet set;
    set.fileName = path;
    set.AppendSolution(MakeCourse("", {"t", "x"}, {{0, 1}, {5, 2}}), true);
    Recompute(set);
    EXPECT_EQ(set.ranges[kYmax], 123);
    EXPECT_EQ(set.ranges[kXmax], 5);
    EXPECT_EQ(set.timeCourses[0].lineStyles[1].colour, 99u);
    std::remove(path.c_str());
}

} // namespace
} // namespace kora

namespace kora {
namespace {

TEST(BrightnessSpread, KeepsHueAndStepsLightness) {
    EXPECT_EQ(SpreadBrightness(0x0000FF, 3, true),
              (std::vector<Colour>{0x000080, 0x0000FF, 0x8080FF}));
    EXPECT_EQ(SpreadBrightness(0x0000FF, 3, false),
              (std::vector<Colour>{0x8080FF, 0x0000FF, 0x000080}));
    EXPECT_EQ(SpreadBrightness(0x808080, 1, true), (std::vector<Colour>{0x808080}));
}

} // namespace
} // namespace kora

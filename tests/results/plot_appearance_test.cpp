// Titles, logarithmic axes, markers, run labels and the ticks of an axis.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "results/axis_ticks.h"
#include "results/graph_section.h"
#include "results/line_record.h"
#include "results/plot_ranges.h"
#include "results/run_colours.h"
#include "results_test_util.h"

namespace kora {
namespace {

using testing::MakeCourse;

std::vector<std::string> Labels(const std::vector<AxisTick>& ticks) {
    std::vector<std::string> labels;
    for (const AxisTick& t : ticks)
        if (!t.label.empty()) labels.push_back(t.label);
    return labels;
}

TEST(AxisTicks, LinearTicksAreNiceAndReadable) {
    EXPECT_EQ(Labels(LinearTicks(0, 10, 5)),
              (std::vector<std::string>{"0", "2", "4", "6", "8", "10"}));
    // No rounding noise, and every major tick is labelled.
    EXPECT_EQ(Labels(LinearTicks(0, 1, 10)),
              (std::vector<std::string>{"0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8",
                                        "0.9", "1.0"}));
    EXPECT_EQ(Labels(LinearTicks(-7.2, 8, 3)), (std::vector<std::string>{"-5", "0", "5"}));
    EXPECT_EQ(Labels(LinearTicks(0, 4e-7, 2)), (std::vector<std::string>{"0", "2e-07", "4e-07"}));
    EXPECT_EQ(Labels(LinearTicks(1e6, 3e6, 2)),
              (std::vector<std::string>{"1e+06", "2e+06", "3e+06"}));
    EXPECT_EQ(TickLabel(1.0000001, 0.5), "1.0");
    // Minor ticks: five per step of 1 or 5, four per step of 2.
    EXPECT_EQ(LinearTicks(0, 10, 10).size(), 51u);
    EXPECT_EQ(LinearTicks(0, 10, 5).size(), 21u);
    // Nothing to tick on an empty or broken range.
    EXPECT_TRUE(LinearTicks(3, 3, 5).empty());
    EXPECT_TRUE(LinearTicks(0, INFINITY, 5).empty());
    // A short range far from zero ends, even without ticks.
    EXPECT_TRUE(LinearTicks(1e20, 1e20 + 98304, 5).empty());
}

TEST(AxisTicks, LogTicksAreDecadesWithMinorsAtTwoToNine) {
    const std::vector<AxisTick> ticks = LogTicks(1e-6, 1, 10);
    EXPECT_EQ(Labels(ticks),
              (std::vector<std::string>{"10⁻⁶", "10⁻⁵", "10⁻⁴", "10⁻³", "10⁻²", "10⁻¹", "10⁰"}));
    EXPECT_EQ(ticks.size(), 6u * 9 + 1);
    EXPECT_FALSE(ticks[1].major);
    EXPECT_DOUBLE_EQ(ticks[1].value, 2e-6);
    // Many decades: every fifth one is labelled, minors give way.
    EXPECT_EQ(Labels(LogTicks(1e-20, 1, 5)),
              (std::vector<std::string>{"10⁻²⁰", "10⁻¹⁵", "10⁻¹⁰", "10⁻⁵", "10⁰"}));
    EXPECT_EQ(LogTicks(1e-20, 1, 5).size(), 21u);
    // Less than two decades: the minor ticks are labelled too.
    EXPECT_EQ(Labels(LogTicks(2, 50, 5)),
              (std::vector<std::string>{"2", "3", "4", "5", "6", "7", "8", "9", "10¹", "20", "30",
                                        "40", "50"}));
    EXPECT_TRUE(LogTicks(0, 10, 5).empty());
    EXPECT_EQ(PowerOfTenLabel(12), "10¹²");
}

TEST(GraphSection, TodaysReaderIgnoresUnknownKeysAndOldFilesReadAsBefore) {
    // A section from before the titles: no titles, linear axes, records' colours.
    ResultsSet old;
    old.timeCourses.push_back(MakeCourse("m", {"t", "X"}, {{0, 1}}));
    std::vector<std::string> lines{"Xmin=0",      "Ymin=0",      "Xmax=1",       "Ymax=1",
                                   "Xphasemin=0", "Yphasemin=0", "Zphasemin=0",  "Xphasemax=1",
                                   "Yphasemax=1", "Zphasemax=1", "Line1=X|2|255"};
    ASSERT_TRUE(ReadGraphSection(old, lines).ok);
    EXPECT_FALSE(old.showTitle);
    EXPECT_TRUE(old.title.empty());
    EXPECT_FALSE(old.logX || old.logY || old.logPhase[0] || old.logPhase[1] || old.logPhase[2]);
    EXPECT_FALSE(old.runColours); // a new set has them on
    EXPECT_EQ(old.timeCourses[0].lineStyles[1], (LineStyle{true, 255, 2}));

    // Keys nobody knows yet are passed over.
    lines.insert(lines.end(), {"Frobnicate=3", "LogW=1", "Marker9_9=square"});
    ResultsSet later;
    later.timeCourses.push_back(MakeCourse("m", {"t", "X"}, {{0, 1}}));
    ASSERT_TRUE(ReadGraphSection(later, lines).ok);
    EXPECT_EQ(later.timeCourses[0].lineStyles[1], (LineStyle{true, 255, 2}));
}

TEST(GraphSection, TitlesLogAxesMarkersAndRunLabelsRoundTrip) {
    ResultsSet written;
    written.timeCourses.push_back(MakeCourse("a", {"t", "X", "Y"}, {{0, 1, 2}}));
    written.timeCourses.push_back(MakeCourse("a", {"t", "X", "Y"}, {{0, 1, 2}}));
    written.timeCourses[1].runLabel = "k = 0.3";
    written.timeCourses[1].lineStyles[2].marker = Marker::Triangle;
    written.showTitle = true;
    written.title = "Growth = fast\r\nsecond line";
    written.yTitle = "X (mM)";
    written.logY = true;
    written.logPhase = {false, true, true};
    written.runColours = false;
    std::vector<std::string> lines;
    WriteGraphSection(written, lines);
    // Plain records keep their one-line format for older readers.
    const std::string plain =
        "Line2_1=" + FormatLineRecord(written.timeCourses[1].lineStyles[2], "Y");
    EXPECT_NE(std::find(lines.begin(), lines.end(), plain), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Marker2_1=triangle"), lines.end());

    ResultsSet read;
    read.timeCourses.push_back(MakeCourse("a", {"t", "X", "Y"}, {{0, 1, 2}}));
    read.timeCourses.push_back(MakeCourse("a", {"t", "X", "Y"}, {{0, 1, 2}}));
    ASSERT_TRUE(ReadGraphSection(read, lines).ok);
    EXPECT_TRUE(read.showTitle);
    EXPECT_EQ(read.title, "Growth = fast  second line");
    EXPECT_EQ(read.yTitle, "X (mM)");
    EXPECT_FALSE(read.logX);
    EXPECT_TRUE(read.logY);
    EXPECT_EQ(read.logPhase, (std::array<bool, 3>{false, true, true}));
    EXPECT_FALSE(read.runColours);
    EXPECT_EQ(read.timeCourses[1].lineStyles[2].marker, Marker::Triangle);
    EXPECT_EQ(read.timeCourses[0].lineStyles[2].marker, Marker::None);
    EXPECT_EQ(read.timeCourses[1].runLabel, "k = 0.3");
    EXPECT_TRUE(read.timeCourses[0].runLabel.empty());
}

TEST(PlotRanges, LogAxesSettleOnTheDecadesOfThePositiveData) {
    ResultsSet set;
    set.logY = true;
    set.logPhase[0] = true;
    set.timeCourses.push_back(
        MakeCourse("d", {"t", "X", "Y"}, {{0, 1, -3}, {1, 0.03, 0}, {2, 2e-6, 5}}));
    Recompute(set);
    EXPECT_DOUBLE_EQ(set.ranges[kYmin], 1e-6);
    EXPECT_DOUBLE_EQ(set.ranges[kYmax], 10);
    EXPECT_DOUBLE_EQ(set.ranges[kXphasemin], 1e-6);
    EXPECT_DOUBLE_EQ(set.ranges[kYphasemin], -3); // linear axes keep their ranges
    EXPECT_DOUBLE_EQ(set.ranges[kXmin], 0);

    // Switching an axis to logarithmic later fits just that axis.
    set.logX = true;
    FitLogRanges(set);
    EXPECT_DOUBLE_EQ(set.ranges[kXmin], 1);
    EXPECT_DOUBLE_EQ(set.ranges[kXmax], 10);
    // Nothing positive at all still gives a drawable range.
    ResultsSet negative;
    negative.logY = true;
    negative.timeCourses.push_back(MakeCourse("n", {"t", "X"}, {{0, -1}, {1, -2}}));
    Recompute(negative);
    EXPECT_DOUBLE_EQ(negative.ranges[kYmin], 1);
    EXPECT_DOUBLE_EQ(negative.ranges[kYmax], 10);
}

TEST(RunColours, RunsGetDistinctRampColoursAndNames) {
    ResultsSet set;
    set.timeCourses.push_back(MakeCourse("m", {"t", "X"}, {{0, 1}}));
    EXPECT_FALSE(RunsToldApart(set)); // one run has nothing to tell apart
    set.timeCourses.push_back(MakeCourse("m", {"t", "X"}, {{0, 1}}));
    set.timeCourses[1].runLabel = "k = 0.3";
    EXPECT_TRUE(RunsToldApart(set));
    EXPECT_EQ(RunName(set, 0), "run 1");
    EXPECT_EQ(RunName(set, 1), "k = 0.3");
    set.runColours = false;
    EXPECT_FALSE(RunsToldApart(set));

    // Twenty runs: twenty colours, each visible on white and on black.
    std::vector<Colour> colours;
    for (size_t k = 0; k < 20; ++k) {
        const Colour light = RunColour(k, 20, false);
        EXPECT_GE(ContrastRatio(light, 0xFFFFFF), 1.6) << k;
        EXPECT_GE(ContrastRatio(RunColour(k, 20, true), 0x000000), 1.6) << k;
        EXPECT_EQ(std::find(colours.begin(), colours.end(), light), colours.end()) << k;
        colours.push_back(light);
    }
}

TEST(RunColours, NoLineIsLostOnItsBackground) {
    for (Colour stock : kDefaultStockColours) {
        EXPECT_GE(ContrastRatio(Distinguishable(stock, 0xFFFFFF, 0), 0xFFFFFF), 1.6) << stock;
        EXPECT_GE(ContrastRatio(Distinguishable(stock, 0, 0xFFFFFF), 0), 1.6) << stock;
    }
    // Colours that stand out stay as they are.
    EXPECT_EQ(Distinguishable(0x0000FF, 0xFFFFFF, 0), 0x0000FFu);
    EXPECT_EQ(Distinguishable(0x800000, 0xFFFFFF, 0), 0x800000u);
}

} // namespace
} // namespace kora

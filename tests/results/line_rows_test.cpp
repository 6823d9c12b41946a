#include <gtest/gtest.h>

#include "results/line_rows.h"
#include "results_test_util.h"

namespace kora {
namespace {

using testing::MakeCourse;

ResultsSet TwoCourses() {
    ResultsSet set;
    set.timeCourses.push_back(MakeCourse("A", {"t", "X", "Y"}, {{0, 1, 2}}));
    set.timeCourses.push_back(MakeCourse("", {"t", "X", "Y", "Z"}, {{0, 1, 2, 3}}));
    return set;
}

std::vector<std::string> Labels(const std::vector<LineRow>& rows) {
    std::vector<std::string> labels;
    for (const LineRow& row : rows)
        labels.push_back(row.label);
    return labels;
}

TEST(LineRows, EachViewListsItsLinesWithTheirNames) {
    ResultsSet set = TwoCourses();
    EXPECT_EQ(Labels(LinesOfView(set, kViewTimePlot)),
              (std::vector<std::string>{"A:X", "A:Y", "1:X", "1:Y", "1:Z"}));
    EXPECT_EQ(Labels(LinesOfView(set, kViewPhase2D)),
              (std::vector<std::string>{"A:Trajectory", "A:X projection", "A:Y projection",
                                        "1:Trajectory", "1:X projection", "1:Y projection"}));
    const auto deep = LinesOfView(set, kViewPhase3D);
    ASSERT_EQ(deep.size(), 8u);
    EXPECT_EQ(deep[3].label, "A: XY projection");
    EXPECT_EQ(deep[7].record, 4 + 3); // after the four columns of the second course
    set.timeCourses.pop_back();
    EXPECT_EQ(Labels(LinesOfView(set, kViewTimePlot)), (std::vector<std::string>{"X", "Y"}));
}

TEST(LineRows, ChangesSpreadToTheSameLineOfEveryCourseOrToALoneCourse) {
    ResultsSet set = TwoCourses();
    const auto time = LinesOfView(set, kViewTimePlot);
    EXPECT_EQ(RelatedRows(time, 2, 1), (std::vector<size_t>{1, 3}));
    EXPECT_EQ(RelatedRows(time, 2, 4), (std::vector<size_t>{4}));
    // Phase lines match by role although the courses differ in width.
    const auto phase = LinesOfView(set, kViewPhase2D);
    EXPECT_EQ(RelatedRows(phase, 2, 4), (std::vector<size_t>{1, 4}));
    set.timeCourses.pop_back();
    EXPECT_EQ(RelatedRows(LinesOfView(set, kViewTimePlot), 1, 0), (std::vector<size_t>{0, 1}));
}

} // namespace
} // namespace kora

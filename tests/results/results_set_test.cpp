#include <gtest/gtest.h>

#include "results/results_table.h"
#include "results_test_util.h"

namespace kora {
namespace {

using testing::MakeCourse;

TEST(ResultsSet, ResultsFileNameFromDocumentName) {
    EXPECT_EQ(ResultsFileName("model.krm"), "model.res");
    EXPECT_EQ(ResultsFileName("/d/Model.KRM"), "/d/Model.res");
    EXPECT_EQ(ResultsFileName("old.Res"), "old.res");
    EXPECT_EQ(ResultsFileName("model.txt"), "model.txt.res");
    EXPECT_EQ(ResultsFileName(""), "");
}

TEST(ResultsSet, MergeSharesValuesAndMarksModified) {
    ResultsSet source;
    source.timeCourses.push_back(MakeCourse("a", {"t"}, {{1}}));
    ResultsSet destination;
    destination.Merge(source);
    ASSERT_EQ(destination.timeCourses.size(), 1u);
    EXPECT_TRUE(destination.timeCourses[0].data.SharesWith(source.timeCourses[0].data));
    EXPECT_TRUE(destination.modified);
    destination.Merge(destination);
    EXPECT_EQ(destination.timeCourses.size(), 2u);

    destination.rangesKnown = true;
    destination.Clear();
    EXPECT_TRUE(destination.timeCourses.empty());
    EXPECT_FALSE(destination.rangesKnown);
    EXPECT_TRUE(destination.modified);
}

TEST(ResultsSet, SettledRunsTakeTheRememberedRecords) {
    ResultsSet set;
    set.AppendSolution(MakeCourse("", {"t", "x", "y"}, {{0, 1, 2}}), true);
    set.timeCourses[0].lineStyles[2] = LineStyle{false, 5, 6};
    set.timeCourses[0].PhaseRecord(kTrajectoryRecord).visible = false;
    set.RememberDisplaySets();

    // A new run: cleared, so the first solution keeps its fresh records.
    set.Clear();
    set.AppendSolution(MakeCourse("", {"t", "x", "y", "z"}, {{0, 1, 2, 3}}), true);
    EXPECT_TRUE(set.timeCourses[0].lineStyles[2].visible);

    set.rangesKnown = true;
    set.AppendSolution(MakeCourse("", {"t", "x", "y", "z"}, {{0, 1, 2, 3}}), true);
    const TimeCourse& course = set.timeCourses[0];
    EXPECT_EQ(course.lineStyles[2], (LineStyle{false, 5, 6}));
    EXPECT_EQ(course.lineStyles[3].colour, kDefaultStockColours[3]); // beyond the set
    EXPECT_FALSE(course.PhaseRecord(kTrajectoryRecord).visible);

    // Position 1 has nothing remembered.
    set.AppendSolution(MakeCourse("", {"t", "x", "y"}, {{0, 1, 2}}), false);
    EXPECT_TRUE(set.timeCourses[1].lineStyles[2].visible);
}

TEST(ResultsTable, HeadingsValuesAndCopyText) {
    ResultsSet set;
    set.timeCourses.push_back(MakeCourse("", {"t", "x"}, {{0, 1.5}, {1, 2}}));
    EXPECT_EQ(ResultsTableCell(set, 0, 1, 7), "x");
    set.timeCourses.push_back(MakeCourse("run", {"t"}, {{0.25}}));
    EXPECT_EQ(ResultsTableColumnCount(set), 3);
    EXPECT_EQ(ResultsTableRowCount(set), 3);
    EXPECT_EQ(ResultsTableText(set, 0, 0, 2, 2, 7, ','),
              "1:t\t1:x\trun:t\t\n0\t1,5\t0,25\t\n1\t2\tN/A\t\n");
    EXPECT_EQ(ResultsTableCell(set, 1, 3, 7), "");
}

} // namespace
} // namespace kora

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "results/plot_ranges.h"
#include "results_test_util.h"

namespace kora {
namespace {

using testing::MakeCourse;

// Two sets take the same changes; one rescans everything after each, the
// other scans only what was appended. They must never differ.
TEST(PlotRanges, RecomputeAfterAppendEqualsAFullRecompute) {
    const double nan = std::nan("");
    const std::vector<std::function<void(ResultsSet&)>> changes = {
        [](ResultsSet& s) {
            s.AppendSolution(MakeCourse("", {"t", "x"}, {{0, 0.2}, {1, 7}}), false);
        },
        [](ResultsSet& s) {
            s.AppendSolution(MakeCourse("", {"t", "x"}, {{-3, 9}, {2, 1}}), false);
        },
        [&](ResultsSet& s) {
            s.AppendSolution(MakeCourse("", {"t", "x", "y"}, {{0, nan, -4}, {50, 1, 2}}), false);
        },
        [](ResultsSet& s) {
            s.AppendSolution(MakeCourse("", {"t", "x"}, {{5, 1}, {6, 2}}), true);
        },
        [](ResultsSet& s) { s.Clear(); },
        [](ResultsSet& s) {
            s.AppendSolution(MakeCourse("", {"t", "x", "y", "z"}, {{1, -0.5, 3, 4}, {2, 1, 1, 1}}),
                             false);
        },
        [](ResultsSet& s) {
            s.AppendSolution(MakeCourse("", {"t", "x"}, {{0, 1}, {80, 2}}), false);
        },
    };
    ResultsSet full;
    ResultsSet appended;
    for (const auto& change : changes) {
        change(full);
        change(appended);
        Recompute(full);
        RecomputeAfterAppend(appended);
        EXPECT_EQ(appended.ranges, full.ranges);
        EXPECT_EQ(appended.phaseVar, full.phaseVar);
    }

    // A course taken away, then the next append: the full Recompute that
    // must follow the removal leaves nothing stale behind.
    for (ResultsSet* set : {&full, &appended}) {
        set->timeCourses.pop_back();
        Recompute(*set);
        set->AppendSolution(MakeCourse("", {"t", "x"}, {{0, 1}, {3, 2}}), false);
    }
    Recompute(full);
    RecomputeAfterAppend(appended);
    EXPECT_EQ(appended.ranges, full.ranges);
    EXPECT_EQ(appended.ranges[kXmax], 3);
}

} // namespace
} // namespace kora

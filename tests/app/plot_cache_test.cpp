#include <QImage>
#include <gtest/gtest.h>

#include "plot_pane.h"
#include "results/plot_ranges.h"

namespace kora::app {
namespace {

TimeCourse Decay(double rate, int32_t rows) {
    TimeCourse course(2, "run");
    course.names = {"t", "X"};
    course.rows = rows;
    course.data.Allocate(static_cast<size_t>(rows) * 2);
    for (int32_t r = 0; r < rows; ++r) {
        course.data.data()[r * 2] = r * 0.1;
        course.data.data()[r * 2 + 1] = 1.0 / (1.0 + rate * r);
    }
    return course;
}

struct CachedPane {
    ResultsSet set;
    PlotPane pane;
    CachedPane() {
        set.timeCourses.push_back(Decay(0.5, 200));
        Recompute(set);
        pane.resize(480, 360);
        pane.SetResults(&set, false);
    }
    QImage Shown() { return pane.grab().toImage(); }
};

TEST(PlotPaneCache, RepaintsShowTheKeptDrawingUntilDataViewOrSizeChange) {
    CachedPane f;
    const QImage first = f.Shown();
    const PlotHotSpots spots = f.pane.hotSpots();
    f.Shown();
    EXPECT_EQ(f.pane.drawings(), 1);
    EXPECT_EQ(f.pane.hotSpots().areas.size(), spots.areas.size());

    f.pane.resize(500, 380);
    f.Shown();
    EXPECT_EQ(f.pane.drawings(), 2);

    // New rows reach the picture without being announced.
    f.set.timeCourses.push_back(Decay(2.0, 300));
    Recompute(f.set);
    f.Shown();
    EXPECT_EQ(f.pane.drawings(), 3);

    f.set.view = kViewPhase2D;
    f.pane.Redraw();
    f.Shown();
    EXPECT_EQ(f.pane.drawings(), 4);
    f.Shown();
    EXPECT_EQ(f.pane.drawings(), 4);
    EXPECT_NE(f.Shown(), first);
}

TEST(PlotPaneCache, TheKeptPictureIsTheDrawingItself) {
    CachedPane cached;
    cached.Shown();
    const QImage again = cached.Shown(); // from the kept picture
    ASSERT_EQ(cached.pane.drawings(), 1);

    CachedPane fresh;
    EXPECT_EQ(again, fresh.Shown());
}

} // namespace
} // namespace kora::app

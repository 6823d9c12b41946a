#include <gtest/gtest.h>

#include <cmath>

#include "render_test_util.h"
#include "results/run_colours.h"

namespace kora {
namespace {

using namespace kora::testing;

constexpr Colour kRed = 0x0000FF; // 0x00BBGGRR

ResultsSet ConstantLine(double value, Colour background = 0xFFFFFF) {
    ResultsSet set = MakeSet();
    set.ranges[kXmin] = -1; // keeps the line off the vertical axis
    set.background = background;
    set.timeCourses.push_back(
        MakeCourse("", {"t", "X"}, 11, [value](int32_t, int32_t) { return value; }));
    set.timeCourses[0].lineStyles[1].colour = kRed;
    return set;
}

TEST(PlotImage, AxesContrastWithTheBackground) {
    for (Colour background : {Colour{0x000000}, Colour{0xFFFFFF}, Colour{0x400000}}) {
        ResultsSet set = ConstantLine(5, background);
        const QImage image = Render(set, kViewTimePlot);
        const Colour expected = background == 0xFFFFFF ? 0x000000 : 0xFFFFFF;
        EXPECT_EQ(set.foreground, expected);
        const VerticalRun axis = LongestVerticalRun(image, PixelOf(expected));
        EXPECT_GT(axis.bottom - axis.top, image.height() / 2) << std::hex << background;
        EXPECT_LT(axis.x, image.width() / 4);
        EXPECT_TRUE(Near(image.pixel(image.width() / 2, 2), PixelOf(background)));
    }
}

TEST(PlotImage, ConstantValueLiesAtItsRow) {
    for (double value : {5.0, 2.5}) {
        ResultsSet set = ConstantLine(value);
        QImage image(400, 300, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        const PixelRect face = RenderInto(image, image.rect(), set, kViewTimePlot).face;
        const double expected = face.bottom - value / 10 * (face.bottom - face.top);
        const int x = image.width() / 2;
        const double row =
            InkCentreRow(image, x, face.top + 2, face.bottom - 3, qRgb(255, 255, 255));
        EXPECT_NEAR(row, expected, 1.5) << value;
    }
}

// Lowering Ymax under the data must not draw lines over the axes.
TEST(PlotImage, LinesStayInsideTheFrame) {
    for (int8_t view : {kViewTimePlot, kViewPhase2D, kViewPhase3D}) {
        ResultsSet set = ConstantLine(1e12);
        set.timeCourses[0].PhaseRecord(kTrajectoryRecord).colour = kRed;
        set.timeCourses[0] = MakeCourse("", {"t", "X", "Y", "Z"}, 11,
                                        [](int32_t r, int32_t c) { return c == 1 ? 1e12 : r; });
        set.timeCourses[0].lineStyles[1].colour = kRed;
        set.timeCourses[0].PhaseRecord(kTrajectoryRecord).colour = kRed;
        QImage image(400, 900, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        image.fill(Qt::white);
        const PixelRect face = RenderInto(image, QRect(0, 600, 400, 300), set, view).face;
        EXPECT_EQ(CountPixels(image, PixelOf(kRed), QRect(0, 0, 400, 600)), 0) << int(view);
        EXPECT_EQ(CountPixels(image, PixelOf(kRed), QRect(0, 600, 400, face.top - 600 - 1)), 0)
            << int(view);
    }
}

// A line longer than one polyline piece has no gap where the pieces meet.
TEST(PlotImage, LongLinesStayJoined) {
    ResultsSet set = MakeSet(2047);
    set.axis = false;
    set.timeCourses.push_back(
        MakeCourse("", {"t", "X"}, 2048, [](int32_t r, int32_t) { return r < 1024 ? 2.0 : 8.0; }));
    const QImage image = Render(set, kViewTimePlot);
    int inkedRows = 0;
    for (int y = 0; y < image.height(); ++y)
        if (InkIn(image, qRgb(255, 255, 255), QRect(0, y, image.width(), 1)) > 0) ++inkedRows;
    // The jump from 2 to 8 covers 60 % of the plot's height.
    EXPECT_GT(inkedRows, image.height() / 3);
}

TEST(PlotImage, MarkersAndBlackAndWhite) {
    ResultsSet set = ConstantLine(5);
    set.axis = false;
    set.timeCourses[0].lineStyles[1].style = 6;
    EXPECT_GT(CountPixels(Render(set, kViewTimePlot), PixelOf(kRed)), 11 * 9);
    set.blackAndWhite = true;
    const QImage plain = Render(set, kViewTimePlot);
    EXPECT_EQ(CountPixels(plain, PixelOf(kRed)), 0);
    EXPECT_GT(CountPixels(plain, PixelOf(0)), 11 * 9);
}

// Every pixel that framing adds lies on the border of a hot spot.
TEST(PlotImage, HotSpotsLieOnTheirLabels) {
    for (int8_t view : {kViewTimePlot, kViewPhase2D, kViewPhase3D}) {
        ResultsSet set = ConstantLine(5);
        set.timeCourses[0] =
            MakeCourse("", {"t", "X", "Y", "Z"}, 11, [](int32_t r, int32_t) { return r * 0.5; });
        PlotHotSpots spots;
        const QImage plain = Render(set, view, 500, 400, false, &spots);
        const QImage framed = Render(set, view, 500, 400, true);
        const size_t drawn = view == kViewTimePlot ? 4 : view == kViewPhase2D ? 6 : 9;
        size_t present = 0;
        for (size_t i = 0; i < PlotHotSpots::kCount; ++i) {
            const PixelRect& r = spots.areas[i];
            if (r.IsEmpty()) continue;
            ++present;
            EXPECT_GE(r.left, 0);
            EXPECT_GE(r.top, 0);
            EXPECT_LE(r.right, plain.width());
            EXPECT_LE(r.bottom, plain.height());
            const QRect inside(r.left + 1, r.top + 1, r.right - r.left - 2, r.bottom - r.top - 2);
            EXPECT_GT(InkIn(plain, qRgb(255, 255, 255), inside), 0) << int(view) << " " << i;
        }
        EXPECT_EQ(present, drawn) << int(view);
        int added = 0;
        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                if (plain.pixel(x, y) == framed.pixel(x, y)) continue;
                ++added;
                bool onBorder = false;
                for (const PixelRect& r : spots.areas) {
                    if (r.IsEmpty()) continue;
                    const bool inX = x >= r.left - 1 && x <= r.right;
                    const bool inY = y >= r.top - 1 && y <= r.bottom;
                    const bool nearX = std::abs(x - r.left) <= 1 || std::abs(x - r.right) <= 1;
                    const bool nearY = std::abs(y - r.top) <= 1 || std::abs(y - r.bottom) <= 1;
                    onBorder = onBorder || (inX && inY && (nearX || nearY));
                }
                EXPECT_TRUE(onBorder) << int(view) << " at " << x << "," << y;
                if (!onBorder) return;
            }
        }
        EXPECT_GT(added, 0);
    }
}

TEST(PlotImage, HotSpotsNeedTheAxes) {
    ResultsSet set = ConstantLine(5);
    set.axis = false;
    PlotHotSpots spots;
    Render(set, kViewTimePlot, 400, 300, false, &spots);
    for (const PixelRect& r : spots.areas)
        EXPECT_TRUE(r.IsEmpty());
}

TEST(PlotImage, TooManyPointsStopsBeforeTheLines) {
    ResultsSet set = ConstantLine(5);
    set.legend = true;
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    EXPECT_EQ(RenderInto(image, image.rect(), set, kViewTimePlot, false, 5).status,
              PlotDrawStatus::TooManyPoints);
    EXPECT_EQ(CountPixels(image, PixelOf(kRed)), 0);
    EXPECT_GT(InkIn(image, qRgb(255, 255, 255), QRect(0, 0, 120, 20)), 0);
}

TEST(PlotImage, LogDecadesLieAtEvenRows) {
    ResultsSet set = MakeSet(10);
    set.logY = true;
    set.ranges[kYmin] = 1e-6;
    set.ranges[kYmax] = 1;
    set.ranges[kXmin] = -1;
    for (int decade = 0; decade <= 6; decade += 3) {
        set.timeCourses.push_back(MakeCourse(
            "", {"t", "X"}, 11, [decade](int32_t, int32_t) { return std::pow(10.0, -decade); }));
        set.timeCourses.back().lineStyles[1].colour = kRed;
    }
    set.runColours = false;
    const QImage image = Render(set, kViewTimePlot, 400, 400);
    const VerticalRun axis = LongestVerticalRun(image, PixelOf(0));
    const int x = image.width() / 2;
    // 10^-3 lies half-way up, 10^0 at the top, 10^-6 at the bottom.
    const double middle = axis.bottom - 0.5 * (axis.bottom - axis.top);
    EXPECT_NEAR(InkCentreRow(image, x, middle - 10, middle + 10, qRgb(255, 255, 255)), middle, 1.5);
    EXPECT_NEAR(InkCentreRow(image, x, axis.top - 3, axis.top + 3, qRgb(255, 255, 255)), axis.top,
                1.5);
}

TEST(PlotImage, RunsGetDistinctColoursUnlessAskedNotTo) {
    ResultsSet set = MakeSet();
    set.legend = true;
    for (int k = 0; k < 20; ++k) {
        set.timeCourses.push_back(
            MakeCourse("m", {"t", "X"}, 11, [k](int32_t, int32_t) { return 0.5 * k; }));
        set.timeCourses.back().lineStyles[1].colour = kRed;
        set.timeCourses.back().lineStyles[1].style = 3;
    }
    const QImage image = Render(set, kViewTimePlot, 600, 500);
    EXPECT_EQ(CountPixels(image, PixelOf(kRed)), 0);
    for (size_t k : {0u, 10u, 19u}) {
        const QRgb colour = PixelOf(RunColour(k, 20, false));
        EXPECT_GT(CountPixels(image, colour), 300) << k;
    }
    set.runColours = false;
    EXPECT_GT(CountPixels(Render(set, kViewTimePlot, 600, 500), PixelOf(kRed)), 20 * 300);
}

TEST(PlotImage, NoLineIsDrawnInTheBackgroundColour) {
    ResultsSet set = ConstantLine(5);
    set.timeCourses[0].lineStyles[1].colour = 0xFFFFFF; // the 15th stock colour
    set.axis = false;
    const QImage image = Render(set, kViewTimePlot);
    EXPECT_GT(InkIn(image, qRgb(255, 255, 255)), 300 * 60);
}

TEST(PlotImage, MarkersTakeTheirShapes) {
    ResultsSet set = ConstantLine(5);
    set.axis = false;
    std::vector<int> inks;
    for (Marker marker :
         {Marker::None, Marker::Circle, Marker::Square, Marker::Triangle, Marker::Cross}) {
        set.timeCourses[0].lineStyles[1].marker = marker;
        set.timeCourses[0].lineStyles[1].style = 4;
        inks.push_back(CountPixels(Render(set, kViewTimePlot), PixelOf(kRed)));
    }
    EXPECT_EQ(inks[0], inks[1]); // markers-only styles draw circles by default
    EXPECT_GT(inks[2], inks[1]); // a square covers more than its circle
    EXPECT_LT(inks[3], inks[2]);
    EXPECT_LT(inks[4], inks[2]);
}

TEST(PlotImage, ManyCoursesKeepTheLegendBelowThePlot) {
    ResultsSet set = MakeSet();
    set.legend = true;
    for (int k = 0; k < 60; ++k)
        set.timeCourses.push_back(
            MakeCourse("course" + std::to_string(k), {"t", "A", "B"}, 11,
                       [k](int32_t r, int32_t c) { return r * c * k / 60.0; }));
    const QImage image = Render(set, kViewTimePlot, 600, 400);
    const VerticalRun axis = LongestVerticalRun(image, PixelOf(0));
    // The legend gives up rows rather than squeeze the plot away.
    EXPECT_GT(axis.bottom - axis.top, image.height() / 3);
}

} // namespace
} // namespace kora

namespace kora {
namespace {

using namespace kora::testing;

TEST(PlotImage, TheReportedFaceIsWhereTheAxesAre) {
    ResultsSet set = ConstantLine(5);
    QImage image(400, 300, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    const PixelRect face = RenderInto(image, QRect(0, 0, 400, 300), set, kViewTimePlot).face;
    const VerticalRun axis = LongestVerticalRun(image, PixelOf(0));
    EXPECT_NEAR(face.left, axis.x, 1);
    EXPECT_NEAR(face.top, axis.top, 1);
    EXPECT_NEAR(face.bottom, axis.bottom, 1);
    QImage tiny(20, 10, QImage::Format_RGB32);
    EXPECT_TRUE(RenderInto(tiny, tiny.rect(), set, kViewTimePlot).face.IsEmpty());
}

} // namespace
} // namespace kora

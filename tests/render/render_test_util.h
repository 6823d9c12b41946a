// Results sets and image probes for the plot rendering tests.
#pragma once

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "results/qt/plot_renderer.h"
#include "results/results_set.h"

namespace kora::testing {

// Text needs a QGuiApplication; one per test program, without a display.
inline void EnsureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "test_render";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

// `rows` rows of `names.size()` columns: column 0 is the row index, column c
// takes value(row, c).
inline TimeCourse MakeCourse(const std::string& title, std::vector<std::string> names, int32_t rows,
                             const std::function<double(int32_t, int32_t)>& value) {
    TimeCourse course(static_cast<int32_t>(names.size()), title);
    course.names = std::move(names);
    course.rows = rows;
    course.data.Allocate(static_cast<size_t>(rows) * course.columns);
    double* out = course.data.data();
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < course.columns; ++c)
            *out++ = c == 0 ? r : value(r, c);
    return course;
}

// A set with plain ranges: time 0..`lastTime`, values 0..10 on every axis,
// white background, no legend.
inline ResultsSet MakeSet(double lastTime = 10) {
    ResultsSet set;
    set.background = 0xFFFFFF;
    set.legend = false;
    set.ranges[kXmin] = 0;
    set.ranges[kXmax] = lastTime;
    set.ranges[kYmin] = 0;
    set.ranges[kYmax] = 10;
    for (size_t i : {kXphasemin, kYphasemin, kZphasemin})
        set.ranges[i] = 0;
    for (size_t i : {kXphasemax, kYphasemax, kZphasemax})
        set.ranges[i] = 10;
    set.rangesKnown = true;
    return set;
}

inline PlotDrawing RenderInto(QImage& image, const QRect& target, ResultsSet& set, int8_t view,
                              bool hotSpots = false, size_t bufferLimit = size_t{1} << 28) {
    EnsureGuiApplication();
    QPainter painter(&image);
    PlotDrawOptions options;
    options.view = view;
    options.showHotSpots = hotSpots;
    options.pointBufferLimit = bufferLimit;
    const PlotDrawing drawing = DrawPlot(painter, target, set, options);
    painter.end();
    return drawing;
}

inline QImage Render(ResultsSet& set, int8_t view, int width = 400, int height = 300,
                     bool hotSpots = false, PlotHotSpots* spots = nullptr) {
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::magenta);
    const PlotDrawing drawing = RenderInto(image, image.rect(), set, view, hotSpots);
    if (spots) *spots = drawing.hotSpots;
    return image;
}

// How far a pixel is from `background`, summed over the channels.
inline int Ink(QRgb pixel, QRgb background) {
    return std::abs(qRed(pixel) - qRed(background)) + std::abs(qGreen(pixel) - qGreen(background)) +
           std::abs(qBlue(pixel) - qBlue(background));
}

inline int InkIn(const QImage& image, QRgb background, QRect within = QRect()) {
    const QRect area = within.isNull() ? image.rect() : within.intersected(image.rect());
    int total = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            total += Ink(image.pixel(x, y), background);
    return total;
}

// The ink-weighted mean row of column `x` between rows `from` and `to`.
inline double InkCentreRow(const QImage& image, int x, int from, int to, QRgb background) {
    double weight = 0, sum = 0;
    for (int y = std::max(from, 0); y <= std::min(to, image.height() - 1); ++y) {
        const int ink = Ink(image.pixel(x, y), background);
        weight += ink;
        sum += ink * y;
    }
    return weight > 0 ? sum / weight : -1;
}

// 0x00BBGGRR as the image's pixel value.
inline QRgb PixelOf(Colour colour) {
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

// Equal within a little rounding of the paint engine.
inline bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b)) <=
           6;
}

inline int CountPixels(const QImage& image, QRgb colour, QRect within = QRect()) {
    const QRect area = within.isNull() ? image.rect() : within.intersected(image.rect());
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (Near(image.pixel(x, y), colour)) ++count;
    return count;
}

// The longest vertical run of `colour` in any column: the vertical axis.
struct VerticalRun {
    int x = -1;
    int top = 0;
    int bottom = -1; // inclusive
};

inline VerticalRun LongestVerticalRun(const QImage& image, QRgb colour) {
    VerticalRun best;
    for (int x = 0; x < image.width(); ++x) {
        int start = -1;
        for (int y = 0; y <= image.height(); ++y) {
            const bool hit = y < image.height() && Near(image.pixel(x, y), colour);
            if (hit && start < 0) start = y;
            if (!hit && start >= 0) {
                if (y - 1 - start > best.bottom - best.top) best = VerticalRun{x, start, y - 1};
                start = -1;
            }
        }
    }
    return best;
}

} // namespace kora::testing

// The geometry of a plot, in drawing units: ranges and their mapping, the
// frame of the plot inside its area, axes, ticks and grid lines, and where
// the labels go. Kept apart from the drawing so that it can be checked alone.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "results/plot_hot_spots.h"
#include "results/results_set.h"

namespace kora {

struct PlotPoint {
    double x = 0;
    double y = 0;
};

struct Segment {
    PlotPoint from;
    PlotPoint to;
};

// A rectangle in drawing units; y grows downwards.
struct Box {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
    bool IsEmpty() const { return width <= 0 || height <= 0; }
    Box Inflated(double dx, double dy) const {
        return Box{left - dx, top - dy, width + 2 * dx, height + 2 * dy};
    }
};

// One axis's range of values, linear or logarithmic.
struct AxisSpan {
    double start = 0;
    double end = 1;
    bool log = false;

    // Where `value` lies, 0 at the start and 1 at the end. Values beyond
    // two ranges on either side are held there so that far-off points stay
    // near the plot; a value that is not a number stays NaN, and so does
    // one at or below zero on a logarithmic axis.
    // Inline: a drawing places every point of every line through it.
    double Fraction(double value) const {
        return Held(log ? LogFraction(value) : (value - start) / (end - start));
    }
    // Whether `value` can be placed on this axis at all.
    bool Places(double value) const { return !log || value > 0; }

    // Far-off values are held this many ranges beyond either end.
    static constexpr double kFarLimit = 2.0;

private:
    double LogFraction(double value) const;
    static double Held(double fraction) {
        return std::isnan(fraction) ? fraction : std::clamp(fraction, -kFarLimit, kFarLimit);
    }
};

// A span whose ends are equal is widened to end = start + 1; one with an end
// that is not finite, or whose length is not, becomes 0..1. A logarithmic
// span needs positive ends: a missing end is put six decades from the other
// (1..10 when neither is positive).
AxisSpan MakeAxisSpan(double start, double end, bool log = false);

// The ranges a view draws with and the range each limit hot spot edits.
struct ViewAxes {
    AxisSpan x;
    AxisSpan y;
    AxisSpan z;
    bool phase = false;
    bool depth = false; // the 3-D view
    std::array<size_t, PlotHotSpots::kRangeSpots> rangeIndex{};
};

// Any view but the two phase views is drawn as the time plot.
ViewAxes AxesForView(const ResultsSet& set, int8_t view);

// A tick of an axis at `fraction` of its length (0..1).
struct PlacedTick {
    double fraction = 0;
    bool major = false;
    std::string label; // empty when the tick carries none
};

// Nice ticks of the span (about `target` labelled ones), inside it.
std::vector<PlacedTick> AxisTicks(const AxisSpan& span, int target);

// The plot area: the front face spans left..right - depthX horizontally and
// top + depthY..bottom vertically; the depth axis runs up and to the right.
struct PlotFrame {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    double depthX = 0;
    double depthY = 0;

    double FaceWidth() const { return right - left - depthX; }
    double FaceHeight() const { return bottom - top - depthY; }
    bool IsUsable() const { return FaceWidth() > 0 && FaceHeight() > 0; }
    // fx, fy, fz are fractions along the X, Y and depth axes.
    PlotPoint Map(double fx, double fy, double fz = 0) const {
        return PlotPoint{left + fx * FaceWidth() + fz * depthX,
                         bottom - fy * FaceHeight() - fz * depthY};
    }
};

struct FrameInput {
    Box area;                 // the whole target
    double leftReserve = 0;   // the vertical axis's labels and title
    double rightReserve = 0;  // room right of the plot for the end labels
    double topReserve = 0;    // the title, or half the top label
    double bottomReserve = 0; // tick labels, axis title and legend
    bool depth = false;
};

// At least 10 % of the height above the plot and the reserves on each side;
// in 3-D the depth axis takes a third of the width and of the height.
PlotFrame LayOutFrame(const FrameInput& input);

// Solid axis lines: X and Y, in 3-D also the depth axis and the edges of
// the floor, the left wall and the back face.
std::vector<Segment> AxisLines(const PlotFrame& frame, bool depth);

// The ticks of the three axes (Z only in 3-D).
struct FrameTicks {
    std::vector<PlacedTick> x, y, z;
};

// A mark at each tick, pointing outwards: major ticks `length` long (in
// drawing units across and down), minor ones half as long.
std::vector<Segment> TickMarks(const PlotFrame& frame, const FrameTicks& ticks, double lengthX,
                               double lengthY);

// Lines at each major tick of each axis; in 3-D on the back face, the floor
// and the left wall.
std::vector<Segment> GridLines(const PlotFrame& frame, bool depth, const FrameTicks& ticks);

// Texts around the plot and their sizes, in drawing units: the labelled
// ticks of each axis (in tick order) and the axis titles (X, Y, Z).
struct AxisTexts {
    std::array<std::vector<std::string>, 3> labels;
    std::array<std::vector<double>, 3> fractions;
    std::array<std::vector<double>, 3> widths;
    std::array<std::string, 3> titles;
    std::array<double, 3> titleWidths{};
};

struct LabelPlacement {
    std::array<std::vector<Box>, 3> labels; // per axis, as in AxisTexts
    std::array<Box, 3> titles{};            // X under, Y left (turned), Z by the depth axis
};

struct LabelMetrics {
    double textHeight = 0;
    double marginX = 0;
    double marginY = 0;
    double tickX = 0; // length of a major tick, across
    double tickY = 0; // and down
};

LabelPlacement PlaceLabels(const PlotFrame& frame, const AxisTexts& texts, const ViewAxes& axes,
                           const LabelMetrics& m);

// Room the labels and titles need on either side of and below the plot.
double LeftReserve(const AxisTexts& texts, const LabelMetrics& m);
double RightReserve(const AxisTexts& texts, bool depth, const LabelMetrics& m);
double BelowReserve(const AxisTexts& texts, const LabelMetrics& m);

// The labels that act as hot spots, in hot-spot order (X first, Y first,
// X last, Y last, Z first, Z last labels, the X, Y and Z titles of the phase
// views, the plot title, the time plot's Y title), each framed by the margin;
// empty where nothing is drawn.
std::array<Box, PlotHotSpots::kCount> HotSpotBoxes(const LabelPlacement& labels,
                                                   const Box& plotTitle, bool phase, double marginX,
                                                   double marginY);

// A box in drawing units as device pixels: `origin` is the device position
// of drawing point (0, 0), one pixel is `unitsX` by `unitsY` drawing units.
PixelRect ToPixels(const Box& box, PlotPoint origin, double unitsX, double unitsY);

} // namespace kora

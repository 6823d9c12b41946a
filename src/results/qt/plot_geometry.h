// The geometry of a plot, in drawing units: ranges and their mapping, the
// frame of the plot inside its area, axes, ticks and grid lines, and where
// the labels go. Kept apart from the drawing so that it can be checked alone.
#pragma once

#include <array>
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

// One axis's range of values.
struct AxisSpan {
    double start = 0;
    double end = 1;

    double Middle() const { return (start + end) / 2; }
    // Where `value` lies, 0 at the start and 1 at the end. Values beyond
    // two ranges on either side are held there so that far-off points stay
    // near the plot; a value that is not a number stays NaN.
    double Fraction(double value) const;
};

// A span whose ends are equal is widened to end = start + 1; one with an end
// that is not finite, or whose length is not, becomes 0..1.
AxisSpan MakeAxisSpan(double start, double end);

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

// Start, middle and end of the span in general format.
std::array<std::string, 3> AxisLabelTexts(const AxisSpan& span, int32_t precision);

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
    Box area;                // the whole target
    double labelHeight = 0;  // one line of label text with its margin
    double leftReserve = 0;  // widest vertical-axis label with its margins
    double rightReserve = 0; // room right of the plot for the end labels
    bool depth = false;
    int32_t legendRows = 0;
};

// 10 % of the height above the plot, one label line below it for the axis
// labels and at least one more for the legend; in 3-D the depth axis takes
// a third of the width and of the height.
PlotFrame LayOutFrame(const FrameInput& input);

// Solid axis lines: X and Y, in 3-D also the depth axis and the edges of
// the floor, the left wall and the back face.
std::vector<Segment> AxisLines(const PlotFrame& frame, bool depth);

// A mark at each quarter of each axis, pointing outwards.
std::vector<Segment> TickMarks(const PlotFrame& frame, bool depth, double lengthX, double lengthY);

// Lines at each tenth of each axis; in 3-D on the back face, the floor and
// the left wall.
std::vector<Segment> GridLines(const PlotFrame& frame, bool depth);

// Sizes of the texts around the axes, in drawing units.
struct LabelSizes {
    double textHeight = 0;
    std::array<double, 3> x{}; // start, middle, end
    std::array<double, 3> y{};
    std::array<double, 3> z{};
    std::array<double, 3> names{}; // X, Y and Z phase variables
};

struct LabelPlacement {
    std::array<Box, 3> x{};
    std::array<Box, 3> y{};
    std::array<Box, 3> z{};     // empty outside 3-D
    std::array<Box, 3> names{}; // empty outside the phase views; Z only in 3-D
};

LabelPlacement PlaceLabels(const PlotFrame& frame, const LabelSizes& sizes, const ViewAxes& axes,
                           double marginX, double marginY);

// Room the labels need on either side of the plot.
double LeftReserve(const LabelSizes& sizes, double marginX);
double RightReserve(const LabelSizes& sizes, bool depth, double marginX);

// The labels that act as hot spots, in hot-spot order (X start, Y start,
// X end, Y end, Z start, Z end, then the X, Y and Z names), each framed by
// the margin; empty where nothing is drawn.
std::array<Box, PlotHotSpots::kCount> HotSpotBoxes(const LabelPlacement& labels, double marginX,
                                                   double marginY);

// A box in drawing units as device pixels: `origin` is the device position
// of drawing point (0, 0), one pixel is `unitsX` by `unitsY` drawing units.
PixelRect ToPixels(const Box& box, PlotPoint origin, double unitsX, double unitsY);

} // namespace kora

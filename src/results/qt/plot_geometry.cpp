#include "plot_geometry.h"

#include <algorithm>
#include <cmath>

#include "results/number_text.h"

namespace kora {

namespace {

// Far-off values are held this many ranges beyond either end.
constexpr double kFarLimit = 2.0;

Box EmptyBox() {
    return Box{};
}

Box CentredAt(double x, double centreY, double width, double height) {
    return Box{x - width / 2, centreY - height / 2, width, height};
}

} // namespace

double AxisSpan::Fraction(double value) const {
    const double fraction = (value - start) / (end - start);
    if (std::isnan(fraction)) return fraction;
    return std::clamp(fraction, -kFarLimit, kFarLimit);
}

AxisSpan MakeAxisSpan(double start, double end) {
    if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(end - start))
        return AxisSpan{0, 1};
    if (start == end) end = start + 1;
    // Far from zero start + 1 may round back to start.
    if (start == end) end = start + std::abs(start) * 1e-12;
    return AxisSpan{start, end};
}

ViewAxes AxesForView(const ResultsSet& set, int8_t view) {
    const auto& r = set.ranges;
    ViewAxes axes;
    axes.phase = view == kViewPhase2D || view == kViewPhase3D;
    axes.depth = view == kViewPhase3D;
    if (axes.phase) {
        axes.x = MakeAxisSpan(r[kXphasemin], r[kXphasemax]);
        axes.y = MakeAxisSpan(r[kYphasemin], r[kYphasemax]);
        axes.z = MakeAxisSpan(r[kZphasemin], r[kZphasemax]);
        axes.rangeIndex = {kXphasemin, kYphasemin, kXphasemax, kYphasemax, kZphasemin, kZphasemax};
    } else {
        axes.x = MakeAxisSpan(r[kXmin], r[kXmax]);
        axes.y = MakeAxisSpan(r[kYmin], r[kYmax]);
        axes.rangeIndex = {kXmin, kYmin, kXmax, kYmax, kZphasemin, kZphasemax};
    }
    return axes;
}

std::array<std::string, 3> AxisLabelTexts(const AxisSpan& span, int32_t precision) {
    return {FormatGeneral(span.start, precision), FormatGeneral(span.Middle(), precision),
            FormatGeneral(span.end, precision)};
}

PlotFrame LayOutFrame(const FrameInput& in) {
    PlotFrame frame;
    frame.left = in.area.left + in.leftReserve;
    frame.right = in.area.Right() - in.rightReserve;
    frame.top = in.area.top + 0.1 * in.area.height;
    frame.bottom = in.area.Bottom() - in.labelHeight * (1 + std::max(1, in.legendRows));
    if (in.depth) {
        frame.depthX = (frame.right - frame.left) / 3;
        frame.depthY = (frame.bottom - frame.top) / 3;
    }
    return frame;
}

std::vector<Segment> AxisLines(const PlotFrame& f, bool depth) {
    std::vector<Segment> lines{{f.Map(0, 0), f.Map(1, 0)}, {f.Map(0, 0), f.Map(0, 1)}};
    if (!depth) return lines;
    lines.push_back({f.Map(1, 0, 0), f.Map(1, 0, 1)}); // the depth axis
    lines.push_back({f.Map(0, 0, 0), f.Map(0, 0, 1)});
    lines.push_back({f.Map(0, 1, 0), f.Map(0, 1, 1)});
    lines.push_back({f.Map(0, 0, 1), f.Map(1, 0, 1)});
    lines.push_back({f.Map(1, 0, 1), f.Map(1, 1, 1)});
    lines.push_back({f.Map(1, 1, 1), f.Map(0, 1, 1)});
    lines.push_back({f.Map(0, 1, 1), f.Map(0, 0, 1)});
    return lines;
}

std::vector<Segment> TickMarks(const PlotFrame& f, bool depth, double lengthX, double lengthY) {
    std::vector<Segment> ticks;
    for (int quarter = 1; quarter <= 4; ++quarter) {
        const double at = quarter / 4.0;
        const PlotPoint onX = f.Map(at, 0);
        const PlotPoint onY = f.Map(0, at);
        ticks.push_back({onX, {onX.x, onX.y + lengthY}});
        ticks.push_back({onY, {onY.x - lengthX, onY.y}});
        if (depth) {
            const PlotPoint onZ = f.Map(1, 0, at);
            ticks.push_back({onZ, {onZ.x + lengthX, onZ.y}});
        }
    }
    return ticks;
}

std::vector<Segment> GridLines(const PlotFrame& f, bool depth) {
    std::vector<Segment> lines;
    const double back = depth ? 1 : 0;
    for (int tenth = 0; tenth <= 10; ++tenth) {
        const double at = tenth / 10.0;
        lines.push_back({f.Map(at, 0, back), f.Map(at, 1, back)});
        lines.push_back({f.Map(0, at, back), f.Map(1, at, back)});
        if (!depth) continue;
        lines.push_back({f.Map(at, 0, 0), f.Map(at, 0, 1)}); // floor, along the depth
        lines.push_back({f.Map(0, 0, at), f.Map(1, 0, at)}); // floor, across
        lines.push_back({f.Map(0, at, 0), f.Map(0, at, 1)}); // left wall, along the depth
        lines.push_back({f.Map(0, 0, at), f.Map(0, 1, at)}); // left wall, upwards
    }
    return lines;
}

LabelPlacement PlaceLabels(const PlotFrame& f, const LabelSizes& s, const ViewAxes& axes,
                           double marginX, double marginY) {
    LabelPlacement place;
    const double h = s.textHeight;
    const double xTop = f.bottom + marginY;
    // The start label stays right of the corner, clear of the vertical
    // axis's labels; in 3-D the end label stays left of the depth axis's.
    place.x[0] = Box{f.Map(0, 0).x, xTop, s.x[0], h};
    place.x[1] = Box{f.Map(0.5, 0).x - s.x[1] / 2, xTop, s.x[1], h};
    const double xEnd = f.Map(1, 0).x;
    place.x[2] = Box{axes.depth ? xEnd - s.x[2] - 2 * marginX : xEnd - s.x[2] / 2, xTop, s.x[2], h};
    for (size_t i = 0; i < 3; ++i) {
        const PlotPoint at = f.Map(0, i / 2.0);
        place.y[i] = CentredAt(at.x - marginX - s.y[i] / 2, at.y, s.y[i], h);
    }
    if (axes.depth) {
        for (size_t i = 0; i < 3; ++i) {
            const PlotPoint at = f.Map(1, 0, i / 2.0);
            place.z[i] = CentredAt(at.x + 2 * marginX + s.z[i] / 2, at.y, s.z[i], h);
        }
    }
    if (!axes.phase) return place;
    place.names[0] = Box{f.Map(0.75, 0).x - s.names[0] / 2, xTop, s.names[0], h};
    const PlotPoint yTop = f.Map(0, 1);
    place.names[1] = Box{yTop.x + marginX, yTop.y - h / 2 - marginY - h, s.names[1], h};
    if (axes.depth) {
        const Box& zEnd = place.z[2];
        place.names[2] = Box{zEnd.left, zEnd.top - marginY - h, s.names[2], h};
    }
    return place;
}

double LeftReserve(const LabelSizes& s, double marginX) {
    return std::max({s.y[0], s.y[1], s.y[2]}) + 2 * marginX;
}

double RightReserve(const LabelSizes& s, bool depth, double marginX) {
    if (!depth) return s.x[2];
    return std::max({s.z[0], s.z[1], s.z[2], s.names[2]}) + 3 * marginX;
}

std::array<Box, PlotHotSpots::kCount> HotSpotBoxes(const LabelPlacement& labels, double marginX,
                                                   double marginY) {
    const std::array<Box, PlotHotSpots::kCount> plain{
        labels.x[0], labels.y[0],     labels.x[2],     labels.y[2],    labels.z[0],
        labels.z[2], labels.names[0], labels.names[1], labels.names[2]};
    std::array<Box, PlotHotSpots::kCount> boxes{};
    for (size_t i = 0; i < plain.size(); ++i)
        boxes[i] = plain[i].IsEmpty() ? EmptyBox() : plain[i].Inflated(marginX, marginY);
    return boxes;
}

PixelRect ToPixels(const Box& box, PlotPoint origin, double unitsX, double unitsY) {
    if (box.IsEmpty()) return PixelRect{};
    return PixelRect{static_cast<int32_t>(std::floor(origin.x + box.left / unitsX)),
                     static_cast<int32_t>(std::floor(origin.y + box.top / unitsY)),
                     static_cast<int32_t>(std::ceil(origin.x + box.Right() / unitsX)),
                     static_cast<int32_t>(std::ceil(origin.y + box.Bottom() / unitsY))};
}

} // namespace kora

#include "plot_geometry.h"

#include <algorithm>
#include <cmath>

#include "results/axis_ticks.h"

namespace kora {

namespace {

// A logarithmic span without a usable end reaches this many decades.
constexpr double kLogDecadesFallback = 6;
// At least this share of the height stays above the plot.
constexpr double kTopShare = 0.1;

Box CentredAt(double centreX, double centreY, double width, double height) {
    return Box{centreX - width / 2, centreY - height / 2, width, height};
}

double Widest(const std::vector<double>& widths) {
    double widest = 0;
    for (double w : widths)
        widest = std::max(widest, w);
    return widest;
}

bool Inside(double fraction) {
    return fraction >= -1e-9 && fraction <= 1 + 1e-9;
}

} // namespace

double AxisSpan::LogFraction(double value) const {
    return value > 0
               ? (std::log10(value) - std::log10(start)) / (std::log10(end) - std::log10(start))
               : std::nan("");
}

AxisSpan MakeAxisSpan(double start, double end, bool log) {
    if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(end - start))
        return log ? AxisSpan{1, 10, true} : AxisSpan{0, 1, false};
    if (log) {
        const double decades = std::pow(10.0, kLogDecadesFallback);
        if (start <= 0 && end <= 0) return AxisSpan{1, 10, true};
        if (start <= 0) start = end / decades;
        if (end <= 0) end = start / decades;
        if (start == end) end = start * 10;
        return AxisSpan{start, end, true};
    }
    if (start == end) end = start + 1;
    // Far from zero start + 1 may round back to start.
    if (start == end) end = start + std::abs(start) * 1e-12;
    return AxisSpan{start, end, false};
}

ViewAxes AxesForView(const ResultsSet& set, int8_t view) {
    const auto& r = set.ranges;
    ViewAxes axes;
    axes.phase = view == kViewPhase2D || view == kViewPhase3D;
    axes.depth = view == kViewPhase3D;
    if (axes.phase) {
        axes.x = MakeAxisSpan(r[kXphasemin], r[kXphasemax], set.logPhase[0]);
        axes.y = MakeAxisSpan(r[kYphasemin], r[kYphasemax], set.logPhase[1]);
        axes.z = MakeAxisSpan(r[kZphasemin], r[kZphasemax], set.logPhase[2]);
        axes.rangeIndex = {kXphasemin, kYphasemin, kXphasemax, kYphasemax, kZphasemin, kZphasemax};
    } else {
        axes.x = MakeAxisSpan(r[kXmin], r[kXmax], set.logX);
        axes.y = MakeAxisSpan(r[kYmin], r[kYmax], set.logY);
        axes.rangeIndex = {kXmin, kYmin, kXmax, kYmax, kZphasemin, kZphasemax};
    }
    return axes;
}

std::vector<PlacedTick> AxisTicks(const AxisSpan& span, int target) {
    const std::vector<AxisTick> ticks = span.log ? LogTicks(span.start, span.end, target)
                                                 : LinearTicks(span.start, span.end, target);
    std::vector<PlacedTick> placed;
    placed.reserve(ticks.size());
    for (const AxisTick& tick : ticks) {
        const double fraction = span.Fraction(tick.value);
        if (Inside(fraction))
            placed.push_back({std::clamp(fraction, 0.0, 1.0), tick.major, tick.label});
    }
    // Without a labelled tick the ends are labelled, so that the range can
    // still be seen and its limits edited.
    if (std::none_of(placed.begin(), placed.end(),
                     [](const PlacedTick& t) { return !t.label.empty(); })) {
        const double step = std::fabs(span.end - span.start);
        placed.push_back({0, true, TickLabel(span.start, step)});
        placed.push_back({1, true, TickLabel(span.end, step)});
    }
    // Ticks run from the start of the axis to its end, whichever is larger.
    std::sort(placed.begin(), placed.end(),
              [](const PlacedTick& a, const PlacedTick& b) { return a.fraction < b.fraction; });
    return placed;
}

PlotFrame LayOutFrame(const FrameInput& in) {
    PlotFrame frame;
    frame.left = in.area.left + in.leftReserve;
    frame.right = in.area.Right() - in.rightReserve;
    frame.top = in.area.top + std::max(kTopShare * in.area.height, in.topReserve);
    frame.bottom = in.area.Bottom() - in.bottomReserve;
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

std::vector<Segment> TickMarks(const PlotFrame& f, const FrameTicks& ticks, double lengthX,
                               double lengthY) {
    std::vector<Segment> marks;
    for (const PlacedTick& t : ticks.x) {
        const PlotPoint at = f.Map(t.fraction, 0);
        marks.push_back({at, {at.x, at.y + (t.major ? lengthY : lengthY / 2)}});
    }
    for (const PlacedTick& t : ticks.y) {
        const PlotPoint at = f.Map(0, t.fraction);
        marks.push_back({at, {at.x - (t.major ? lengthX : lengthX / 2), at.y}});
    }
    for (const PlacedTick& t : ticks.z) {
        const PlotPoint at = f.Map(1, 0, t.fraction);
        marks.push_back({at, {at.x + (t.major ? lengthX : lengthX / 2), at.y}});
    }
    return marks;
}

std::vector<Segment> GridLines(const PlotFrame& f, bool depth, const FrameTicks& ticks) {
    std::vector<Segment> lines;
    const double back = depth ? 1 : 0;
    for (const PlacedTick& t : ticks.x) {
        if (!t.major) continue;
        lines.push_back({f.Map(t.fraction, 0, back), f.Map(t.fraction, 1, back)});
        if (depth) lines.push_back({f.Map(t.fraction, 0, 0), f.Map(t.fraction, 0, 1)});
    }
    for (const PlacedTick& t : ticks.y) {
        if (!t.major) continue;
        lines.push_back({f.Map(0, t.fraction, back), f.Map(1, t.fraction, back)});
        if (depth) lines.push_back({f.Map(0, t.fraction, 0), f.Map(0, t.fraction, 1)});
    }
    if (depth) {
        for (const PlacedTick& t : ticks.z) {
            if (!t.major) continue;
            lines.push_back({f.Map(0, 0, t.fraction), f.Map(1, 0, t.fraction)}); // floor
            lines.push_back({f.Map(0, 0, t.fraction), f.Map(0, 1, t.fraction)}); // left wall
        }
    }
    return lines;
}

LabelPlacement PlaceLabels(const PlotFrame& f, const AxisTexts& t, const ViewAxes& axes,
                           const LabelMetrics& m) {
    LabelPlacement place;
    const double h = m.textHeight;
    const double xTop = f.bottom + m.tickY + m.marginY;
    for (size_t i = 0; i < t.labels[0].size(); ++i) {
        const double w = t.widths[0][i];
        place.labels[0].push_back(Box{f.Map(t.fractions[0][i], 0).x - w / 2, xTop, w, h});
    }
    for (size_t i = 0; i < t.labels[1].size(); ++i) {
        const double w = t.widths[1][i];
        const PlotPoint at = f.Map(0, t.fractions[1][i]);
        place.labels[1].push_back(CentredAt(at.x - m.tickX - m.marginX - w / 2, at.y, w, h));
    }
    if (axes.depth) {
        for (size_t i = 0; i < t.labels[2].size(); ++i) {
            const double w = t.widths[2][i];
            const PlotPoint at = f.Map(1, 0, t.fractions[2][i]);
            place.labels[2].push_back(CentredAt(at.x + m.tickX + m.marginX + w / 2, at.y, w, h));
        }
    }
    if (!t.titles[0].empty()) {
        const double w = t.titleWidths[0];
        place.titles[0] = Box{f.Map(0.5, 0).x - w / 2, xTop + h + m.marginY, w, h};
    }
    if (!t.titles[1].empty()) {
        // Turned a quarter anticlockwise, centred on the face.
        const double w = t.titleWidths[1];
        double widest = Widest(t.widths[1]);
        const double right = f.left - m.tickX - 2 * m.marginX - widest;
        place.titles[1] = CentredAt(right - m.marginX - h / 2, f.Map(0, 0.5).y, h, w);
    }
    if (axes.depth && !t.titles[2].empty()) {
        const PlotPoint end = f.Map(1, 0, 1);
        place.titles[2] =
            Box{end.x + m.marginX, end.y - h / 2 - m.marginY - h, t.titleWidths[2], h};
    }
    return place;
}

double LeftReserve(const AxisTexts& t, const LabelMetrics& m) {
    // Labels keep two margins from the edge, so that even their framed hot
    // spots stay inside the picture.
    double reserve = Widest(t.widths[1]) + m.tickX + 4 * m.marginX;
    if (!t.titles[1].empty()) reserve += m.textHeight + m.marginX;
    // The first X label is centred on the corner.
    const double firstX = t.widths[0].empty() ? 0 : t.widths[0].front() / 2 + 2 * m.marginX;
    return std::max(reserve, firstX);
}

double RightReserve(const AxisTexts& t, bool depth, const LabelMetrics& m) {
    const double lastX = t.widths[0].empty() || t.fractions[0].back() < 0.9
                             ? m.marginX
                             : t.widths[0].back() / 2 + 2 * m.marginX;
    if (!depth) return std::max(lastX, 2 * m.marginX);
    return std::max(Widest(t.widths[2]) + m.tickX + 4 * m.marginX,
                    t.titleWidths[2] + 3 * m.marginX);
}

double BelowReserve(const AxisTexts& t, const LabelMetrics& m) {
    double reserve = m.tickY + 2 * m.marginY + m.textHeight;
    if (!t.titles[0].empty()) reserve += m.textHeight + m.marginY;
    return reserve;
}

std::array<Box, PlotHotSpots::kCount> HotSpotBoxes(const LabelPlacement& labels,
                                                   const Box& plotTitle, bool phase, double marginX,
                                                   double marginY) {
    auto first = [&labels](size_t axis) {
        return labels.labels[axis].empty() ? Box{} : labels.labels[axis].front();
    };
    auto last = [&labels](size_t axis) {
        return labels.labels[axis].empty() ? Box{} : labels.labels[axis].back();
    };
    const std::array<Box, PlotHotSpots::kCount> plain{first(0),
                                                      first(1),
                                                      last(0),
                                                      last(1),
                                                      first(2),
                                                      last(2),
                                                      phase ? labels.titles[0] : Box{},
                                                      phase ? labels.titles[1] : Box{},
                                                      phase ? labels.titles[2] : Box{},
                                                      plotTitle,
                                                      phase ? Box{} : labels.titles[1]};
    std::array<Box, PlotHotSpots::kCount> boxes{};
    for (size_t i = 0; i < plain.size(); ++i)
        boxes[i] = plain[i].IsEmpty() ? Box{} : plain[i].Inflated(marginX, marginY);
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

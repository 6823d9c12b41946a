#include "plot_renderer.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintDevice>
#include <QPointF>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <stdexcept>
#include <vector>

#include "plot_geometry.h"
#include "plot_legend.h"
#include "plot_lines.h"
#include "plot_marks.h"
#include "results/run_colours.h"

namespace kora {

namespace {

// Drawing units are 0.01 mm.
constexpr double kUnitsPerInch = 2540.0;
constexpr double kMarginPixels = 3;
constexpr double kTickPixels = 5;
constexpr double kTitleScale = 1.25;
// The legend keeps at most this share of the height for itself.
constexpr double kLegendShare = 0.4;
// Rough room of one label, in text heights, for the first guess of ticks.
constexpr double kLabelsAcross = 5;
constexpr double kLabelsUp = 2.5;
constexpr int kMostLabels = 12;

QString ToQString(const std::string& text) {
    return QString::fromUtf8(text);
}

QRectF ToQRect(const Box& box) {
    return QRectF(box.left, box.top, box.width, box.height);
}

QPointF ToQPoint(PlotPoint p) {
    return QPointF(p.x, p.y);
}

double SizeOf(const QFontMetricsF& metrics, const std::string& text) {
    return text.empty() ? 0 : metrics.horizontalAdvance(ToQString(text));
}

void DrawSegments(PlotCanvas& c, const std::vector<Segment>& segments) {
    for (const Segment& s : segments)
        c.painter.drawLine(ToQPoint(s.from), ToQPoint(s.to));
}

void DrawText(PlotCanvas& c, const Box& box, const std::string& text) {
    if (box.IsEmpty() || text.empty()) return;
    c.painter.drawText(ToQRect(box), Qt::AlignCenter | Qt::TextDontClip, ToQString(text));
}

// Text turned a quarter anticlockwise, centred in `box` (which is tall).
void DrawTurnedText(PlotCanvas& c, const Box& box, const std::string& text) {
    if (box.IsEmpty() || text.empty()) return;
    c.painter.save();
    c.painter.translate(box.left + box.width / 2, box.top + box.height / 2);
    c.painter.rotate(-90);
    c.painter.drawText(QRectF(-box.height / 2, -box.width / 2, box.height, box.width),
                       Qt::AlignCenter | Qt::TextDontClip, ToQString(text));
    c.painter.restore();
}

// Whether the labelled ticks keep apart along an axis of `length`: each
// label is `sizes` long along the axis.
bool LabelsKeepApart(const std::vector<PlacedTick>& ticks, const std::vector<double>& sizes,
                     double length, double gap) {
    double lastAt = 0, lastSize = -1;
    size_t n = 0;
    for (const PlacedTick& t : ticks) {
        if (t.label.empty()) continue;
        const double at = t.fraction * length;
        if (lastSize >= 0 && at - lastAt < (lastSize + sizes[n]) / 2 + gap) return false;
        lastAt = at;
        lastSize = sizes[n++];
    }
    return true;
}

std::vector<double> LabelSizes(const PlotCanvas& c, const std::vector<PlacedTick>& ticks,
                               bool across) {
    std::vector<double> sizes;
    for (const PlacedTick& t : ticks)
        if (!t.label.empty()) sizes.push_back(across ? SizeOf(*c.metrics, t.label) : c.textHeight);
    return sizes;
}

// As many labelled ticks as fit without touching; `across` for labels that
// stand side by side (the X axis).
std::vector<PlacedTick> FitTicks(const PlotCanvas& c, const AxisSpan& span, double length,
                                 bool across) {
    const double room = across ? kLabelsAcross * c.textHeight : kLabelsUp * c.textHeight;
    int target = std::clamp(static_cast<int>(length / std::max(room, 1e-9)), 2, kMostLabels);
    std::vector<PlacedTick> ticks;
    for (; target >= 1; --target) {
        ticks = AxisTicks(span, target);
        if (LabelsKeepApart(ticks, LabelSizes(c, ticks, across), length, 2 * c.marginX))
            return ticks;
    }
    // Even the fewest collide (labelled minor ticks of a short log axis).
    for (PlacedTick& t : ticks)
        if (!t.major) t.label.clear();
    return ticks;
}

void SetAxisTexts(const PlotCanvas& c, AxisTexts& texts, size_t axis,
                  const std::vector<PlacedTick>& ticks) {
    texts.labels[axis].clear();
    texts.fractions[axis].clear();
    texts.widths[axis].clear();
    for (const PlacedTick& t : ticks) {
        if (t.label.empty()) continue;
        texts.labels[axis].push_back(t.label);
        texts.fractions[axis].push_back(t.fraction);
        texts.widths[axis].push_back(SizeOf(*c.metrics, t.label));
    }
}

std::string ColumnName(const ResultsSet& set, int32_t column) {
    if (set.timeCourses.empty()) return {};
    const TimeCourse& first = set.timeCourses.front();
    return static_cast<size_t>(column) < first.names.size() ? first.names[column] : std::string();
}

void SetTitles(const PlotCanvas& c, const ResultsSet& set, const ViewAxes& axes, AxisTexts& texts) {
    if (axes.phase && !set.timeCourses.empty()) {
        const std::array<int32_t, 3> columns = PhaseColumns(set.timeCourses.front(), set.phaseVar);
        for (size_t i = 0; i < (axes.depth ? 3u : 2u); ++i)
            texts.titles[i] = ColumnName(set, columns[i]);
    } else {
        texts.titles[0] = ColumnName(set, 0);
        texts.titles[1] = set.yTitle;
    }
    for (size_t i = 0; i < 3; ++i)
        texts.titleWidths[i] = SizeOf(*c.metrics, texts.titles[i]);
}

std::string PlotTitle(const ResultsSet& set) {
    if (!set.showTitle) return {};
    if (!set.title.empty()) return set.title;
    return set.timeCourses.empty() ? std::string() : set.timeCourses.front().title;
}

struct LegendPlan {
    std::vector<LegendEntry> entries;
    std::vector<double> widths;
    LegendLayout layout;
    ColourBar bar;
    double sampleLength = 0;

    int32_t Rows() const { return layout.rows + (bar.IsShown() ? 1 : 0); }
};

LegendPlan PlanLegend(const PlotCanvas& c, const ResultsSet& set, int8_t view, double available) {
    LegendPlan plan;
    if (!set.legend) return plan;
    plan.entries = LegendEntries(set, view, c.dark);
    plan.bar = ColourBarOf(set);
    plan.sampleLength = 2.5 * c.textHeight;
    for (const LegendEntry& e : plan.entries)
        plan.widths.push_back(plan.sampleLength + SizeOf(*c.metrics, e.text) + 5 * c.marginX);
    const auto maxRows = static_cast<int32_t>(kLegendShare * c.area.height / c.labelHeight) -
                         (plan.bar.IsShown() ? 1 : 0);
    plan.layout = LayOutLegend(plan.widths, available, std::max(maxRows, 1));
    return plan;
}

void DrawColourBar(PlotCanvas& c, const ColourBar& bar, double left, double top, double width) {
    const double firstWidth = SizeOf(*c.metrics, bar.first);
    const double lastWidth = SizeOf(*c.metrics, bar.last);
    const double barWidth =
        std::max(std::min(width - firstWidth - lastWidth - 4 * c.marginX, 20 * c.textHeight),
                 4 * c.textHeight);
    c.painter.setPen(c.SolidPen(c.foreground));
    DrawText(c, Box{left, top, firstWidth, c.textHeight}, bar.first);
    const Box strip{left + firstWidth + 2 * c.marginX, top + c.textHeight * 0.2, barWidth,
                    c.textHeight * 0.6};
    QLinearGradient gradient(strip.left, 0, strip.Right(), 0);
    constexpr int kStops = 16;
    for (int i = 0; i <= kStops; ++i)
        gradient.setColorAt(i / double(kStops), c.VisibleColour(RunColour(i, kStops + 1, c.dark)));
    c.painter.fillRect(ToQRect(strip), gradient);
    DrawText(c, Box{strip.Right() + 2 * c.marginX, top, lastWidth, c.textHeight}, bar.last);
}

void DrawLegend(PlotCanvas& c, const ResultsSet& set, const LegendPlan& plan,
                const PlotFrame& frame, double top) {
    if (!set.legend) return;
    c.painter.setRenderHint(QPainter::Antialiasing, true);
    if (plan.bar.IsShown()) {
        DrawColourBar(c, plan.bar, frame.left, top, frame.right - frame.left);
        top += c.labelHeight;
    }
    const LegendLayout& layout = plan.layout;
    for (int32_t i = 0; i < layout.shown; ++i) {
        const LegendEntry& entry = plan.entries[i];
        const double left = frame.left + layout.columnLeft[i % layout.columns];
        const double rowTop = top + (i / layout.columns) * c.labelHeight;
        const QColor colour =
            entry.foreground ? c.foreground : c.LineColour(set, entry.style.colour);
        DrawLegendSample(c, left, rowTop + c.textHeight / 2, plan.sampleLength, colour, entry.style,
                         entry.dash);
        c.painter.setPen(c.SolidPen(c.foreground));
        const double textLeft = left + plan.sampleLength + c.marginX;
        const double w = SizeOf(*c.metrics, entry.text);
        c.painter.drawText(QRectF(textLeft, rowTop, w, c.textHeight),
                           Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                           ToQString(entry.text));
    }
}

// Everything around the plot, placed.
struct Layout {
    ViewAxes axes;
    FrameTicks ticks;
    AxisTexts texts;
    LabelMetrics metrics;
    PlotFrame frame;
    LabelPlacement labels;
    LegendPlan legend;
    std::string title;
    double titleHeight = 0;
    Box titleBox; // where the title's text lies; empty without one
};

LabelMetrics MetricsOf(const PlotCanvas& c) {
    return LabelMetrics{c.textHeight, c.marginX, c.marginY, kTickPixels * c.px, kTickPixels * c.py};
}

FrameInput FrameFor(const PlotCanvas& c, const Layout& l) {
    FrameInput in;
    in.area = c.area;
    in.depth = l.axes.depth;
    in.leftReserve = LeftReserve(l.texts, l.metrics);
    in.rightReserve = RightReserve(l.texts, l.axes.depth, l.metrics);
    in.topReserve = l.title.empty() ? c.textHeight / 2 + 2 * c.marginY
                                    : l.titleHeight + 2 * c.marginY + c.textHeight / 2;
    in.bottomReserve = BelowReserve(l.texts, l.metrics) + l.legend.Rows() * c.labelHeight;
    return in;
}

Layout LayOut(const PlotCanvas& c, const ResultsSet& set, int8_t view) {
    Layout l;
    l.axes = AxesForView(set, view);
    l.metrics = MetricsOf(c);
    l.title = PlotTitle(set);
    l.titleHeight = l.title.empty() ? 0 : c.textHeight * kTitleScale;
    SetTitles(c, set, l.axes, l.texts);
    // The legend's rows first, for a width a little less than the whole.
    l.legend = PlanLegend(c, set, view, 0.85 * c.area.width);
    // Heights do not depend on labels, so the vertical ticks come next,
    // then the horizontal ones for the width they leave, twice over.
    PlotFrame frame = LayOutFrame(FrameFor(c, l));
    l.ticks.y = FitTicks(c, l.axes.y, frame.FaceHeight(), false);
    SetAxisTexts(c, l.texts, 1, l.ticks.y);
    if (l.axes.depth) {
        l.ticks.z = FitTicks(c, l.axes.z, frame.depthY, false);
        SetAxisTexts(c, l.texts, 2, l.ticks.z);
    }
    for (int pass = 0; pass < 2; ++pass) {
        frame = LayOutFrame(FrameFor(c, l));
        l.ticks.x = FitTicks(c, l.axes.x, std::max(frame.FaceWidth(), 0.0), true);
        SetAxisTexts(c, l.texts, 0, l.ticks.x);
    }
    l.frame = LayOutFrame(FrameFor(c, l));
    l.labels = PlaceLabels(l.frame, l.texts, l.axes, l.metrics);
    if (!l.title.empty()) {
        const double width =
            std::min(SizeOf(*c.metrics, l.title) * kTitleScale * 1.1, c.area.width);
        const double centre = (l.frame.left + l.frame.right) / 2;
        l.titleBox = Box{std::clamp(centre - width / 2, 0.0, c.area.width - width), c.marginY,
                         width, l.titleHeight};
    }
    return l;
}

void DrawAxes(PlotCanvas& c, const Layout& l) {
    c.painter.setRenderHint(QPainter::Antialiasing, false);
    c.painter.setPen(c.SolidPen(c.foreground));
    DrawSegments(c, AxisLines(l.frame, l.axes.depth));
    DrawSegments(c, TickMarks(l.frame, l.ticks, l.metrics.tickX, l.metrics.tickY));
    c.painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (size_t axis = 0; axis < 3; ++axis)
        for (size_t i = 0; i < l.labels.labels[axis].size(); ++i)
            DrawText(c, l.labels.labels[axis][i], l.texts.labels[axis][i]);
    DrawText(c, l.labels.titles[0], l.texts.titles[0]);
    DrawTurnedText(c, l.labels.titles[1], l.texts.titles[1]);
    DrawText(c, l.labels.titles[2], l.texts.titles[2]);
}

void DrawTitle(PlotCanvas& c, const Layout& l) {
    if (l.title.empty()) return;
    QFont font = c.painter.font();
    const QFont plain = font;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * kTitleScale))));
    font.setBold(true);
    c.painter.setFont(font);
    c.painter.setPen(c.SolidPen(c.foreground));
    c.painter.drawText(ToQRect(l.titleBox), Qt::AlignCenter | Qt::TextDontClip, ToQString(l.title));
    c.painter.setFont(plain);
}

void DrawGrid(PlotCanvas& c, const Layout& l) {
    c.painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen = c.SolidPen(c.foreground);
    pen.setStyle(Qt::DotLine);
    c.painter.setPen(pen);
    c.painter.setBackgroundMode(Qt::TransparentMode);
    DrawSegments(c, GridLines(l.frame, l.axes.depth, l.ticks));
}

bool DrawLines(PlotCanvas& c, ResultsSet& set, int8_t view, const Layout& l, size_t bufferLimit,
               size_t& leftOut) {
    const std::vector<PlotLine> lines = LinesToDraw(set, view);
    if (lines.empty()) return true;
    const size_t largest = LargestRowCount(set);
    std::vector<PlotPoint> buffer;
    try {
        if (largest > bufferLimit) return false;
        buffer.resize(largest);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    c.painter.save();
    // Lines never leave the frame, whatever the ranges.
    const PlotFrame& f = l.frame;
    c.painter.setClipRect(QRectF(f.left, f.top, f.right - f.left, f.bottom - f.top));
    c.painter.setRenderHint(QPainter::Antialiasing, true);
    for (const PlotLine& line : lines) {
        const LineStyle& style = RecordOf(set, line);
        const size_t count = LinePoints(set, line, f, l.axes, buffer.data(), leftOut);
        const Colour colour = LineColourOf(set, line.course, style, c.dark);
        DrawLine(c, buffer.data(), count, c.LineColour(set, colour), style,
                 line.IsPhase() ? 0 : LineDash(set, view, line.column));
    }
    c.painter.restore();
    return true;
}

PlotHotSpots PlaceHotSpots(PlotCanvas& c, const ResultsSet& set, const Layout* l, QPoint origin,
                           bool frameThem) {
    PlotHotSpots spots;
    spots.labelHeight = static_cast<int32_t>(std::lround(c.labelHeight / c.unitsY));
    spots.labelMargin = static_cast<int32_t>(kMarginPixels);
    if (l != nullptr) spots.rangeIndex = l->axes.rangeIndex;
    if (!set.axis || l == nullptr) return spots;
    const auto boxes = HotSpotBoxes(l->labels, l->titleBox, l->axes.phase, c.marginX, c.marginY);
    c.painter.setRenderHint(QPainter::Antialiasing, false);
    c.painter.setPen(c.SolidPen(c.foreground));
    c.painter.setBrush(Qt::NoBrush);
    for (size_t i = 0; i < boxes.size(); ++i) {
        spots.areas[i] =
            ToPixels(boxes[i], PlotPoint{1.0 * origin.x(), 1.0 * origin.y()}, c.unitsX, c.unitsY);
        if (frameThem && !boxes[i].IsEmpty()) c.painter.drawRect(ToQRect(boxes[i]));
    }
    return spots;
}

void DrawTooManyPoints(PlotCanvas& c) {
    c.painter.setPen(c.SolidPen(c.foreground));
    c.painter.drawText(QRectF(100, 100, c.area.width, c.textHeight),
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, kTooManyPointsText);
}

} // namespace

std::string LeftOutNote(size_t leftOut) {
    if (leftOut == 0) return {};
    return std::to_string(leftOut) + (leftOut == 1 ? " value" : " values") +
           " at or below zero left out of the logarithmic axes";
}

PlotDrawing DrawPlot(QPainter& painter, const QRect& target, ResultsSet& set,
                     const PlotDrawOptions& options) {
    const QPaintDevice* device = painter.device();
    const int dpiX = device && device->logicalDpiX() > 0 ? device->logicalDpiX() : 96;
    const int dpiY = device && device->logicalDpiY() > 0 ? device->logicalDpiY() : 96;
    PlotCanvas c(painter);
    c.unitsX = kUnitsPerInch / dpiX;
    c.unitsY = kUnitsPerInch / dpiY;
    c.thinToColumns = options.thinToColumns;
    std::vector<PlotPoint> thinned;
    c.thinned = &thinned;
    const double scale = options.scale > 0 ? options.scale : 1;
    c.px = c.unitsX * scale;
    c.py = c.unitsY * scale;
    c.marginX = kMarginPixels * c.px;
    c.marginY = kMarginPixels * c.py;
    c.area = Box{0, 0, target.width() * c.unitsX, target.height() * c.unitsY};

    c.background = ResolveColour(set.background, options.windowColour);
    set.foreground = ContrastForeground(c.background);
    c.foregroundColour = set.foreground;
    c.foreground = ToQColor(set.foreground);
    c.dark = set.foreground == kWhite;

    painter.save();
    painter.translate(target.topLeft());
    painter.scale(1 / c.unitsX, 1 / c.unitsY);
    painter.fillRect(ToQRect(c.area), ToQColor(c.background));
    QFont font = options.font;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(options.fontPixels * c.unitsY))));
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    c.metrics = &metrics;
    c.textHeight = metrics.height();
    c.labelHeight = c.textHeight + c.marginY;

    const int8_t view = options.view;
    const Layout layout = LayOut(c, set, view);
    const PlotFrame& frame = layout.frame;

    PlotDrawing drawing;
    PlotDrawStatus& status = drawing.status;
    if (frame.IsUsable()) {
        DrawTitle(c, layout);
        if (set.grid) DrawGrid(c, layout);
        if (set.axis) DrawAxes(c, layout);
        if (DrawLines(c, set, view, layout, options.pointBufferLimit, drawing.leftOut)) {
            const double legendTop =
                frame.bottom + BelowReserve(layout.texts, layout.metrics) - c.marginY;
            DrawLegend(c, set, layout.legend, frame, legendTop);
        } else {
            DrawTooManyPoints(c);
            status = PlotDrawStatus::TooManyPoints;
        }
    }
    if (frame.IsUsable())
        drawing.face = ToPixels(
            Box{frame.left, frame.top + frame.depthY, frame.FaceWidth(), frame.FaceHeight()},
            PlotPoint{1.0 * target.left(), 1.0 * target.top()}, c.unitsX, c.unitsY);
    drawing.hotSpots = PlaceHotSpots(c, set, frame.IsUsable() ? &layout : nullptr, target.topLeft(),
                                     options.showHotSpots && status == PlotDrawStatus::Drawn);
    painter.restore();
    return drawing;
}

} // namespace kora

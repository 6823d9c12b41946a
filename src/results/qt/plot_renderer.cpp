#include "plot_renderer.h"

#include <QFontMetricsF>
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

namespace kora {

namespace {

// Polylines go to the paint engine in pieces of this many points.
constexpr size_t kPieceSize = 1024;
// Drawing units are 0.01 mm.
constexpr double kUnitsPerInch = 2540.0;
constexpr double kMarginPixels = 3;
// The legend keeps at most this share of the height for itself.
constexpr double kLegendShare = 0.4;

QColor ToQColor(Colour colour) {
    const Rgb rgb = RgbOf(colour);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QString ToQString(const std::string& text) {
    return QString::fromLocal8Bit(text);
}

QRectF ToQRect(const Box& box) {
    return QRectF(box.left, box.top, box.width, box.height);
}

QPointF ToQPoint(PlotPoint p) {
    return QPointF(p.x, p.y);
}

// Everything one drawing needs, in drawing units.
struct Canvas {
    explicit Canvas(QPainter& p) : painter(p) {}

    QPainter& painter;
    const QFontMetricsF* metrics = nullptr;
    double unitsX = 1; // drawing units per device pixel
    double unitsY = 1;
    double marginX = 0;
    double marginY = 0;
    double textHeight = 0;
    double labelHeight = 0;
    QColor foreground;
    Box area;

    double Width(const std::string& text) const {
        return text.empty() ? 0 : metrics->horizontalAdvance(ToQString(text));
    }
    QPen SolidPen(const QColor& colour, double widthPixels = 1) const {
        QPen pen(colour, widthPixels * unitsX);
        pen.setCapStyle(Qt::FlatCap);
        return pen;
    }
};

double SizeOf(const QFontMetricsF& metrics, const std::string& text) {
    return text.empty() ? 0 : metrics.horizontalAdvance(ToQString(text));
}

void DrawSegments(Canvas& c, const std::vector<Segment>& segments) {
    for (const Segment& s : segments)
        c.painter.drawLine(ToQPoint(s.from), ToQPoint(s.to));
}

void DrawText(Canvas& c, const Box& box, const std::string& text) {
    if (box.IsEmpty()) return;
    c.painter.drawText(ToQRect(box), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                       ToQString(text));
}

QPen LinePen(const Canvas& c, const QColor& colour, int32_t style) {
    return c.SolidPen(colour, style <= 3 ? std::max(style, 1) : 1);
}

void DrawMarker(Canvas& c, QPointF at, int32_t style) {
    const double rx = (style - 3) * c.unitsX;
    const double ry = (style - 3) * c.unitsY;
    c.painter.drawEllipse(at, rx, ry);
}

// One unbroken run of points: markers, or a polyline in overlapping pieces
// so that the line stays continuous across them.
void DrawRun(Canvas& c, const PlotPoint* points, size_t count, int32_t style) {
    std::array<QPointF, kPieceSize> piece;
    if (style >= 4) {
        for (size_t i = 0; i < count; ++i)
            DrawMarker(c, ToQPoint(points[i]), style);
        return;
    }
    if (count < 2) return;
    for (size_t start = 0; start + 1 < count; start += kPieceSize - 1) {
        const size_t n = std::min(kPieceSize, count - start);
        for (size_t i = 0; i < n; ++i)
            piece[i] = ToQPoint(points[start + i]);
        c.painter.drawPolyline(piece.data(), static_cast<int>(n));
    }
}

void DrawLine(Canvas& c, const PlotPoint* points, size_t count, const QColor& colour,
              int32_t style) {
    c.painter.setPen(LinePen(c, colour, style));
    c.painter.setBrush(style >= 4 ? QBrush(colour) : QBrush(Qt::NoBrush));
    size_t runStart = 0;
    for (size_t i = 0; i <= count; ++i) {
        if (i < count && !std::isnan(points[i].x)) continue;
        DrawRun(c, points + runStart, i - runStart, style);
        runStart = i + 1;
    }
}

QColor LineColour(const Canvas& c, const ResultsSet& set, const LineStyle& style) {
    return set.blackAndWhite ? c.foreground : ToQColor(style.colour);
}

struct AxisTexts {
    std::array<std::string, 3> x, y, z, names;
};

AxisTexts MakeAxisTexts(const ResultsSet& set, const ViewAxes& axes) {
    AxisTexts t;
    t.x = AxisLabelTexts(axes.x, set.precision);
    t.y = AxisLabelTexts(axes.y, set.precision);
    if (axes.depth) t.z = AxisLabelTexts(axes.z, set.precision);
    if (axes.phase && !set.timeCourses.empty()) {
        const TimeCourse& first = set.timeCourses.front();
        const std::array<int32_t, 3> columns = PhaseColumns(first, set.phaseVar);
        const size_t named = axes.depth ? 3 : 2;
        for (size_t i = 0; i < named; ++i)
            if (static_cast<size_t>(columns[i]) < first.names.size())
                t.names[i] = first.names[columns[i]];
    }
    return t;
}

LabelSizes MeasureLabels(const QFontMetricsF& m, const AxisTexts& t, double textHeight) {
    LabelSizes s;
    s.textHeight = textHeight;
    for (size_t i = 0; i < 3; ++i) {
        s.x[i] = SizeOf(m, t.x[i]);
        s.y[i] = SizeOf(m, t.y[i]);
        s.z[i] = SizeOf(m, t.z[i]);
        s.names[i] = SizeOf(m, t.names[i]);
    }
    return s;
}

void DrawAxes(Canvas& c, const PlotFrame& frame, const ViewAxes& axes, const LabelPlacement& at,
              const AxisTexts& texts) {
    c.painter.setRenderHint(QPainter::Antialiasing, false);
    c.painter.setPen(c.SolidPen(c.foreground));
    DrawSegments(c, AxisLines(frame, axes.depth));
    DrawSegments(c, TickMarks(frame, axes.depth, c.marginX, c.marginY));
    for (size_t i = 0; i < 3; ++i) {
        DrawText(c, at.x[i], texts.x[i]);
        DrawText(c, at.y[i], texts.y[i]);
        DrawText(c, at.z[i], texts.z[i]);
        DrawText(c, at.names[i], texts.names[i]);
    }
}

void DrawGrid(Canvas& c, const PlotFrame& frame, bool depth) {
    c.painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen = c.SolidPen(c.foreground);
    pen.setStyle(Qt::DotLine);
    c.painter.setPen(pen);
    c.painter.setBackgroundMode(Qt::TransparentMode);
    DrawSegments(c, GridLines(frame, depth));
}

bool DrawLines(Canvas& c, ResultsSet& set, int8_t view, const PlotFrame& frame,
               const ViewAxes& axes, size_t bufferLimit) {
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
    c.painter.setRenderHint(QPainter::Antialiasing, true);
    for (const PlotLine& line : lines) {
        const LineStyle& style = RecordOf(set, line);
        const size_t count = LinePoints(set, line, frame, axes, buffer.data());
        DrawLine(c, buffer.data(), count, LineColour(c, set, style), style.style);
    }
    return true;
}

struct LegendPlan {
    std::vector<LegendEntry> entries;
    std::vector<double> widths;
    LegendLayout layout;
    double sampleLength = 0;
};

LegendPlan PlanLegend(const Canvas& c, const ResultsSet& set, int8_t view, double available) {
    LegendPlan plan;
    if (!set.legend) return plan;
    plan.entries = LegendEntries(set, view);
    plan.sampleLength = 2 * c.textHeight;
    for (const LegendEntry& e : plan.entries)
        plan.widths.push_back(plan.sampleLength + c.Width(e.text) + 5 * c.marginX);
    const auto maxRows = static_cast<int32_t>(kLegendShare * c.area.height / c.labelHeight);
    plan.layout = LayOutLegend(plan.widths, available, maxRows);
    return plan;
}

void DrawLegendSample(Canvas& c, double left, double centreY, double length, const QColor& colour,
                      int32_t style) {
    std::array<PlotPoint, 4> points{};
    for (size_t i = 0; i < points.size(); ++i)
        points[i] = PlotPoint{left + length * (style >= 4 ? (i + 0.5) / 4 : i / 3.0), centreY};
    DrawLine(c, points.data(), points.size(), colour, style);
}

void DrawLegend(Canvas& c, const ResultsSet& set, const LegendPlan& plan, const PlotFrame& frame) {
    const LegendLayout& layout = plan.layout;
    const double top = frame.bottom + c.labelHeight + c.marginY;
    c.painter.setRenderHint(QPainter::Antialiasing, true);
    for (int32_t i = 0; i < layout.shown; ++i) {
        const LegendEntry& entry = plan.entries[i];
        const double left = frame.left + layout.columnLeft[i % layout.columns];
        const double rowTop = top + (i / layout.columns) * c.labelHeight;
        const double centreY = rowTop + c.textHeight / 2;
        DrawLegendSample(c, left, centreY, plan.sampleLength, LineColour(c, set, entry.style),
                         entry.style.style);
        c.painter.setPen(c.SolidPen(c.foreground));
        const double textLeft = left + plan.sampleLength + c.marginX;
        DrawText(c, Box{textLeft, rowTop, c.Width(entry.text), c.textHeight}, entry.text);
    }
}

PlotHotSpots PlaceHotSpots(Canvas& c, const ResultsSet& set, const ViewAxes& axes,
                           const LabelPlacement& at, QPoint origin, bool frameThem) {
    PlotHotSpots spots;
    spots.labelHeight = static_cast<int32_t>(std::lround(c.labelHeight / c.unitsY));
    spots.labelMargin = static_cast<int32_t>(kMarginPixels);
    spots.rangeIndex = axes.rangeIndex;
    if (!set.axis) return spots;
    const auto boxes = HotSpotBoxes(at, c.marginX, c.marginY);
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

void DrawTooManyPoints(Canvas& c) {
    c.painter.setPen(c.SolidPen(c.foreground));
    c.painter.drawText(QRectF(100, 100, c.area.width, c.textHeight),
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, kTooManyPointsText);
}

} // namespace

PlotDrawing DrawPlot(QPainter& painter, const QRect& target, ResultsSet& set,
                     const PlotDrawOptions& options) {
    const QPaintDevice* device = painter.device();
    const int dpiX = device && device->logicalDpiX() > 0 ? device->logicalDpiX() : 96;
    const int dpiY = device && device->logicalDpiY() > 0 ? device->logicalDpiY() : 96;
    Canvas c(painter);
    c.unitsX = kUnitsPerInch / dpiX;
    c.unitsY = kUnitsPerInch / dpiY;
    c.marginX = kMarginPixels * c.unitsX;
    c.marginY = kMarginPixels * c.unitsY;
    c.area = Box{0, 0, target.width() * c.unitsX, target.height() * c.unitsY};

    const Colour background = ResolveColour(set.background, options.windowColour);
    set.foreground = ContrastForeground(background);
    c.foreground = ToQColor(set.foreground);

    painter.save();
    painter.translate(target.topLeft());
    painter.scale(1 / c.unitsX, 1 / c.unitsY);
    painter.fillRect(ToQRect(c.area), ToQColor(background));
    QFont font = options.font;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(options.fontPixels * c.unitsY))));
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    c.metrics = &metrics;
    c.textHeight = metrics.height();
    c.labelHeight = c.textHeight + c.marginY;

    const int8_t view = options.view;
    const ViewAxes axes = AxesForView(set, view);
    const AxisTexts texts = MakeAxisTexts(set, axes);
    const LabelSizes sizes = MeasureLabels(metrics, texts, c.textHeight);
    FrameInput in{c.area,
                  c.labelHeight,
                  LeftReserve(sizes, c.marginX),
                  RightReserve(sizes, axes.depth, c.marginX),
                  axes.depth,
                  0};
    const LegendPlan legend =
        PlanLegend(c, set, view, c.area.width - in.leftReserve - in.rightReserve);
    in.legendRows = legend.layout.rows;
    const PlotFrame frame = LayOutFrame(in);
    const LabelPlacement labels = PlaceLabels(frame, sizes, axes, c.marginX, c.marginY);

    PlotDrawing drawing;
    PlotDrawStatus& status = drawing.status;
    if (frame.IsUsable()) {
        if (set.grid) DrawGrid(c, frame, axes.depth);
        if (set.axis) DrawAxes(c, frame, axes, labels, texts);
        if (DrawLines(c, set, view, frame, axes, options.pointBufferLimit)) {
            if (set.legend) DrawLegend(c, set, legend, frame);
        } else {
            DrawTooManyPoints(c);
            status = PlotDrawStatus::TooManyPoints;
        }
    }
    if (frame.IsUsable())
        drawing.face = ToPixels(
            Box{frame.left, frame.top + frame.depthY, frame.FaceWidth(), frame.FaceHeight()},
            PlotPoint{1.0 * target.left(), 1.0 * target.top()}, c.unitsX, c.unitsY);
    drawing.hotSpots =
        PlaceHotSpots(c, set, axes, frame.IsUsable() ? labels : LabelPlacement{}, target.topLeft(),
                      options.showHotSpots && status == PlotDrawStatus::Drawn);
    painter.restore();
    return drawing;
}

} // namespace kora

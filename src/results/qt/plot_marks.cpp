#include "plot_marks.h"

#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>

#include "results/run_colours.h"

namespace kora {

namespace {

// Polylines go to the paint engine in pieces of this many points.
constexpr size_t kPieceSize = 1024;
// Markers on a line are this many pixels from centre to edge.
constexpr double kLineMarkerPixels = 3;

constexpr std::array<Qt::PenStyle, 5> kDashes{Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                              Qt::DashDotLine, Qt::DashDotDotLine};

QPointF ToQPoint(PlotPoint p) {
    return QPointF(p.x, p.y);
}

Marker MarkerOf(const LineStyle& style) {
    if (style.style >= 4 && style.marker == Marker::None) return Marker::Circle;
    return style.marker;
}

void DrawMarker(PlotCanvas& c, QPointF at, Marker marker, double rx, double ry) {
    switch (marker) {
    case Marker::None:
        return;
    case Marker::Circle:
        c.painter.drawEllipse(at, rx, ry);
        return;
    case Marker::Square:
        c.painter.drawRect(QRectF(at.x() - rx, at.y() - ry, 2 * rx, 2 * ry));
        return;
    case Marker::Triangle: {
        const QPolygonF triangle{QPointF(at.x(), at.y() - ry), QPointF(at.x() + rx, at.y() + ry),
                                 QPointF(at.x() - rx, at.y() + ry)};
        c.painter.drawPolygon(triangle);
        return;
    }
    case Marker::Cross:
        c.painter.drawLine(QPointF(at.x() - rx, at.y() - ry), QPointF(at.x() + rx, at.y() + ry));
        c.painter.drawLine(QPointF(at.x() - rx, at.y() + ry), QPointF(at.x() + rx, at.y() - ry));
        return;
    }
}

// One unbroken run of points, as a polyline in overlapping pieces so that
// the line stays continuous across them.
void DrawPolyline(PlotCanvas& c, const PlotPoint* points, size_t count) {
    std::array<QPointF, kPieceSize> piece;
    if (count < 2) return;
    if (c.thinToColumns > 0 && c.thinned != nullptr && count > kPieceSize &&
        c.painter.pen().style() == Qt::SolidLine) {
        ThinToColumns(points, count, c.unitsX / c.thinToColumns, *c.thinned);
        points = c.thinned->data();
        count = c.thinned->size();
    }
    for (size_t start = 0; start + 1 < count; start += kPieceSize - 1) {
        const size_t n = std::min(kPieceSize, count - start);
        for (size_t i = 0; i < n; ++i)
            piece[i] = ToQPoint(points[start + i]);
        c.painter.drawPolyline(piece.data(), static_cast<int>(n));
    }
}

void DrawMarkers(PlotCanvas& c, const PlotPoint* points, size_t count, const QColor& colour,
                 const LineStyle& style) {
    const Marker marker = MarkerOf(style);
    if (marker == Marker::None) return;
    const double half = style.style >= 4 ? style.style - 3 : kLineMarkerPixels;
    c.painter.setPen(c.SolidPen(colour));
    c.painter.setBrush(marker == Marker::Cross ? QBrush(Qt::NoBrush) : QBrush(colour));
    for (size_t i = 0; i < count; ++i)
        if (!std::isnan(points[i].x))
            DrawMarker(c, ToQPoint(points[i]), marker, half * c.px, half * c.py);
}

} // namespace

void ThinToColumns(const PlotPoint* points, size_t count, double columnWidth,
                   std::vector<PlotPoint>& thinned) {
    thinned.clear();
    size_t start = 0;
    while (start < count) {
        const double column = std::floor(points[start].x / columnWidth);
        size_t low = start, high = start, end = start + 1;
        for (; end < count && std::floor(points[end].x / columnWidth) == column; ++end) {
            if (points[end].y < points[low].y) low = end;
            if (points[end].y > points[high].y) high = end;
        }
        // Every kept index once, in the order of the line.
        std::array<size_t, 4> kept{start, std::min(low, high), std::max(low, high), end - 1};
        for (size_t i = 0; i < kept.size(); ++i)
            if (i == 0 || kept[i] != kept[i - 1]) thinned.push_back(points[kept[i]]);
        start = end;
    }
}

QColor ToQColor(Colour colour) {
    const Rgb rgb = RgbOf(colour);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QPen PlotCanvas::SolidPen(const QColor& colour, double widthPixels) const {
    QPen pen(colour, widthPixels * px);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

QColor PlotCanvas::VisibleColour(Colour colour) const {
    return ToQColor(Distinguishable(ResolveColour(colour), background, foregroundColour));
}

QColor PlotCanvas::LineColour(const ResultsSet& set, Colour colour) const {
    return set.blackAndWhite ? foreground : VisibleColour(colour);
}

void DrawLine(PlotCanvas& c, const PlotPoint* points, size_t count, const QColor& colour,
              const LineStyle& style, int32_t dash) {
    if (style.style <= 3) {
        QPen pen = c.SolidPen(colour, std::max(style.style, 1));
        pen.setStyle(kDashes[static_cast<size_t>(std::max(dash, 0)) % kDashes.size()]);
        if (dash != 0) pen.setCapStyle(Qt::RoundCap);
        c.painter.setPen(pen);
        c.painter.setBrush(Qt::NoBrush);
        size_t runStart = 0;
        for (size_t i = 0; i <= count; ++i) {
            if (i < count && !std::isnan(points[i].x)) continue;
            DrawPolyline(c, points + runStart, i - runStart);
            runStart = i + 1;
        }
    }
    DrawMarkers(c, points, count, colour, style);
}

void DrawLegendSample(PlotCanvas& c, double left, double centreY, double length,
                      const QColor& colour, const LineStyle& style, int32_t dash) {
    const bool markersOnly = style.style >= 4;
    std::array<PlotPoint, 4> points{};
    for (size_t i = 0; i < points.size(); ++i)
        points[i] = PlotPoint{left + length * (markersOnly ? (i + 0.5) / 4 : i / 3.0), centreY};
    if (markersOnly || style.marker == Marker::None) {
        DrawLine(c, points.data(), points.size(), colour, style, dash);
        return;
    }
    // A line with markers shows one marker, in the middle of the sample.
    LineStyle plain = style;
    plain.marker = Marker::None;
    DrawLine(c, points.data(), points.size(), colour, plain, dash);
    const PlotPoint middle{left + length / 2, centreY};
    DrawMarkers(c, &middle, 1, colour, style);
}

} // namespace kora

// What a drawing paints with: the canvas of one drawing (scales, pens and
// colours) and the marks of a plotted line (polylines, dashes, markers).
#pragma once

#include <QColor>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "plot_colour.h"
#include "plot_geometry.h"

namespace kora {

QColor ToQColor(Colour colour);

// Everything one drawing needs, in drawing units.
struct PlotCanvas {
    explicit PlotCanvas(QPainter& p) : painter(p) {}

    QPainter& painter;
    const QFontMetricsF* metrics = nullptr;
    double unitsX = 1; // drawing units per device pixel
    double unitsY = 1;
    double px = 1; // drawing units per pixel of line widths and marks
    double py = 1;
    double marginX = 0;
    double marginY = 0;
    double textHeight = 0;
    double labelHeight = 0;
    Colour background = kWhite;
    Colour foregroundColour = kBlack;
    QColor foreground;
    bool dark = false;                         // a dark background with a white foreground
    double thinToColumns = 0;                  // see PlotDrawOptions
    std::vector<PlotPoint>* thinned = nullptr; // the thinning's buffer, reused
    Box area;

    QPen SolidPen(const QColor& colour, double widthPixels = 1) const;
    // A line colour as drawn: never lost on the background.
    QColor VisibleColour(Colour colour) const;
    // The same, or the foreground in black-and-white mode.
    QColor LineColour(const ResultsSet& set, Colour colour) const;
};

// The first, lowest, highest and last of each run of consecutive points in
// one column (`columnWidth` drawing units wide), in their order; unbroken
// points only (no NaN).
void ThinToColumns(const PlotPoint* points, size_t count, double columnWidth,
                   std::vector<PlotPoint>& thinned);

// Draws one line: polylines for styles 1..3 (broken at NaN points, `dash`
// 0 solid, then dashes, dots, ...), with the record's marker at every
// point; styles 4..6 draw markers alone (circles unless another is chosen).
void DrawLine(PlotCanvas& c, const PlotPoint* points, size_t count, const QColor& colour,
              const LineStyle& style, int32_t dash);

// A short sample of the line for the legend.
void DrawLegendSample(PlotCanvas& c, double left, double centreY, double length,
                      const QColor& colour, const LineStyle& style, int32_t dash);

} // namespace kora

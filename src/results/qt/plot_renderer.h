// Drawing a results set as a time plot or a phase plot onto any QPainter:
// the results pane, the clipboard picture and image files all come here.
#pragma once

#include <QFont>
#include <QPainter>
#include <QRect>
#include <cstddef>
#include <string>

#include "plot_colour.h"
#include "results/plot_hot_spots.h"
#include "results/results_set.h"

namespace kora {

struct PlotDrawOptions {
    int8_t view = kViewTimePlot;  // the table view is drawn as the time plot
    bool showHotSpots = false;    // frame the labels that can be edited in place
    QFont font;                   // face and style; the drawing sets the size
    double fontPixels = 10;       // text size in device pixels
    double scale = 1;             // device pixels per pixel of line widths, ticks and margins
    Colour windowColour = kWhite; // what the system window colour stands for
    // Above 0: a line far denser than the screen is drawn through the first,
    // lowest, highest and last point of each column of this many columns
    // per pixel (the screen's pixel ratio), which lights the same pixels at a
    // small part of the cost. Files keep every point.
    double thinToColumns = 0;
    // Largest point buffer to ask for; a larger time course cannot be drawn.
    size_t pointBufferLimit = size_t{1} << 28;
};

enum class PlotDrawStatus {
    Drawn,
    TooManyPoints, // the point buffer could not be had; drawing stopped there
};

struct PlotDrawing {
    PlotDrawStatus status = PlotDrawStatus::Drawn;
    PlotHotSpots hotSpots; // in device pixels of the painter's device
    // The front face of the plot, where the X range meets the Y range (same
    // pixels); empty when the target was too small for a plot.
    PixelRect face;
    // Values at or below zero that a logarithmic axis left out.
    size_t leftOut = 0;
};

// The status-bar note for values a logarithmic axis left out; empty for none.
std::string LeftOutNote(size_t leftOut);

// Draws `set` into `target` (device pixels of the painter's device). Stores
// the chosen foreground in `set.foreground`; the label areas come back with
// the status, for the pane that shows this drawing.
PlotDrawing DrawPlot(QPainter& painter, const QRect& target, ResultsSet& set,
                     const PlotDrawOptions& options);

// The text written when the point buffer cannot be allocated.
inline constexpr const char* kTooManyPointsText = "Too many points";

} // namespace kora

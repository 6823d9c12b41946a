// Rendering a results set into a PNG, SVG or PDF file, chosen by the file's
// extension. Needs a QGuiApplication (the offscreen platform will do).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "plot_renderer.h"
#include "results/results_set.h"

namespace kora {

enum class PlotFileFormat { Unknown, Png, Svg, Pdf };

// By extension, in any case.
PlotFileFormat PlotFormatOf(const std::string& fileName);

struct PlotFileOptions {
    std::optional<int8_t> view; // default: the set's own view
    int32_t width = 800;        // pixels
    int32_t height = 600;
    bool showHotSpots = false;
};

enum class PlotFileStatus {
    Written,
    UnknownFormat,
    TooManyPoints, // the file was written with the message in place of the lines
    CannotWrite,
};

struct PlotFileResult {
    PlotFileStatus status = PlotFileStatus::Written;
    std::string reason; // what went wrong, naming the file

    bool ok() const { return status == PlotFileStatus::Written; }
};

// The view a file shows: the table has no picture of its own, so it and any
// unknown view become the time plot.
int8_t PlotViewForFile(int8_t view);

struct PlotBytes {
    PlotFileStatus status = PlotFileStatus::Written;
    std::string reason;
    std::string bytes; // the file's contents; empty unless the picture was drawn
};

// Draws `set` at the given size into the contents of a file of `format`, for
// the clipboard or a file.
PlotBytes RenderPlotBytes(ResultsSet& set, PlotFileFormat format, const PlotFileOptions& options);

// Draws `set` at the given size and writes it to `fileName` in one step: a
// failed write leaves any existing file as it was.
PlotFileResult RenderPlotToFile(ResultsSet& set, const std::string& fileName,
                                const PlotFileOptions& options);

} // namespace kora

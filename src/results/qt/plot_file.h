// Rendering a results set into a PNG, SVG or PDF file, chosen by the file's
// extension. Needs a QGuiApplication (the offscreen platform will do).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "plot_renderer.h"
#include "results/plot_format.h"
#include "results/results_set.h"

namespace kora {

// The size of a picture as the user gives it.
enum class SizeUnit { Pixels, Millimetres, Inches };

struct PlotFileOptions {
    std::optional<int8_t> view; // default: the set's own view
    // The picture's size: in pixels at the screen's 96 dpi, or in mm or
    // inches. The file holds width x height x dpi/96 pixels (for sizes in
    // pixels) or size x dpi pixels (mm, inches); lines, marks and text grow
    // with the dpi, so every resolution shows the same picture.
    double width = 800;
    double height = 600;
    SizeUnit unit = SizeUnit::Pixels;
    int32_t dpi = 96;
    bool showHotSpots = false;
};

inline constexpr int32_t kScreenDpi = 96;
inline constexpr int32_t kExportDpi = 300;
inline constexpr int32_t kMinDpi = 36;
inline constexpr int32_t kMaxDpi = 2400;
// Larger pictures are refused rather than half drawn.
inline constexpr int64_t kMaxPicturePixels = 20000;

// The picture's width and height in pixels of the file (0 when unusable).
std::pair<int32_t, int32_t> PicturePixels(const PlotFileOptions& options);

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

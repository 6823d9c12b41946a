// kora-batch-plot.so: draws the picture of --plot. Loaded only by commands
// that draw, so that other runs never load the toolkit.
#include <QGuiApplication>
#include <cstdlib>
#include <ostream>

#include "plot_module_entry.h"
#include "results/plot_ranges.h"
#include "results/qt/plot_file.h"

namespace kora::cli {

namespace {

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

// Text rendering needs a QGuiApplication. Files never need a screen, so the
// offscreen platform is used unless the user chose one: a batch job must not
// fail because a display is missing or unreachable.
void EnsureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "kora-batch";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

int8_t ViewOf(const CliOptions& options, const ResultsSet& set) {
    if (!options.view) return set.view;
    if (*options.view == "phase2d") return kViewPhase2D;
    if (*options.view == "phase3d") return kViewPhase3D;
    return kViewTimePlot;
}

SizeUnit UnitOf(const CliOptions& options) {
    if (!options.size) return SizeUnit::Pixels;
    if (options.size->unit == "mm") return SizeUnit::Millimetres;
    if (options.size->unit == "in") return SizeUnit::Inches;
    return SizeUnit::Pixels;
}

// --log and --title change the description of the picture only.
void ApplyPictureOptions(ResultsSet& set, const CliOptions& options, int8_t view) {
    if (options.title) {
        set.showTitle = true;
        set.title = *options.title;
    }
    if (options.log) {
        const bool x = options.log->find('x') != std::string::npos;
        const bool y = options.log->find('y') != std::string::npos;
        if (view == kViewPhase2D || view == kViewPhase3D) {
            set.logPhase[0] = set.logPhase[0] || x;
            set.logPhase[1] = set.logPhase[1] || y;
        } else {
            set.logX = set.logX || x;
            set.logY = set.logY || y;
        }
        FitLogRanges(set);
    }
}

int ExitCodeOf(PlotFileStatus status) {
    switch (status) {
    case PlotFileStatus::Written:
        return kExitOk;
    case PlotFileStatus::UnknownFormat:
        return kExitUsage;
    case PlotFileStatus::TooManyPoints:
        return kExitModelError;
    case PlotFileStatus::CannotWrite:
        break;
    }
    return kExitCantCreate;
}

int DrawPlot(const ResultsSet& set, const CliOptions& options, const Settings& settings,
             std::ostream& err) {
    EnsureGuiApplication();
    PlotFileOptions file;
    file.view = ViewOf(options, set);
    file.width = options.size ? options.size->width : kDefaultWidth;
    file.height = options.size ? options.size->height : kDefaultHeight;
    file.unit = UnitOf(options);
    file.dpi = options.dpi.value_or(file.unit == SizeUnit::Pixels ? kScreenDpi : kExportDpi);
    file.showHotSpots = settings.graphShowHotSpots;
    ResultsSet drawn = set; // drawing notes its foreground and hot spots
    ApplyPictureOptions(drawn, options, *file.view);
    const PlotFileResult result = RenderPlotToFile(drawn, *options.plot, file);
    if (!result.ok()) err << "kora-batch: " << result.reason << "\n";
    return ExitCodeOf(result.status);
}

} // namespace

} // namespace kora::cli

extern "C" __attribute__((visibility("default"))) kora::cli::BatchPlotDrawer KoraBatchDrawPlot() {
    return &kora::cli::DrawPlot;
}

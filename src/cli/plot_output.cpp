#include "plot_output.h"

#include <cstdlib>
#include <iostream>

#ifdef KORA_WITH_QT
#include <QGuiApplication>

#include "results/qt/plot_file.h"
#endif

namespace kora::cli {

namespace {

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

#ifdef KORA_WITH_QT

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

#endif

} // namespace

int RenderPlotForBatch(const ResultsSet& set, const CliOptions& options, const Settings& settings,
                       std::ostream& err) {
    if (!options.plot) return kExitOk;
#ifdef KORA_WITH_QT
    EnsureGuiApplication();
    PlotFileOptions file;
    file.view = ViewOf(options, set);
    file.width = options.size ? options.size->first : kDefaultWidth;
    file.height = options.size ? options.size->second : kDefaultHeight;
    file.showHotSpots = settings.graphShowHotSpots;
    ResultsSet drawn = set; // drawing notes its foreground and hot spots
    const PlotFileResult result = RenderPlotToFile(drawn, *options.plot, file);
    if (!result.ok()) err << "kora-batch: " << result.reason << "\n";
    return ExitCodeOf(result.status);
#else
    (void)set;
    (void)settings;
    err << "kora-batch: pictures cannot be drawn in this build\n";
    return kExitUnavailable;
#endif
}

int CheckPlotOption(const CliOptions& options, std::ostream& err) {
    if (!options.plot) return kExitOk;
#ifdef KORA_WITH_QT
    if (PlotFormatOf(*options.plot) != PlotFileFormat::Unknown) return kExitOk;
    err << "kora-batch: '" << *options.plot << "': the picture must be a .png, .svg or .pdf file\n";
    return kExitUsage;
#else
    err << "kora-batch: pictures cannot be drawn in this build\n";
    return kExitUnavailable;
#endif
}

int RenderPlotForBatch(const ResultsSet& set, const CliOptions& options, const Settings& settings) {
    return RenderPlotForBatch(set, options, settings, std::cerr);
}

} // namespace kora::cli

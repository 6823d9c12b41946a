// The entry of the module that draws kora-batch's pictures.
#pragma once

#include <iosfwd>

#include "cli_options.h"
#include "results/results_set.h"
#include "settings/settings.h"

namespace kora::cli {

inline constexpr const char* kPlotModuleFile = "kora-batch-plot.so";
inline constexpr const char* kPlotModuleEntry = "KoraBatchDrawPlot";

// What `RenderPlotForBatch` does once the module is loaded.
using BatchPlotDrawer = int (*)(const ResultsSet& set, const CliOptions& options,
                                const Settings& settings, std::ostream& err);
// The module's entry gives the drawer.
using BatchPlotEntry = BatchPlotDrawer (*)();

} // namespace kora::cli

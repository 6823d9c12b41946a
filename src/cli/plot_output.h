// Pictures written by kora-batch: a results set drawn into the file named
// by --plot, in the view of --view and the size of --size.
#pragma once

#include <iosfwd>

#include "cli_options.h"
#include "results/results_set.h"
#include "settings/settings.h"

namespace kora::cli {

// Draws `set` into `options.plot` (.png, .svg or .pdf). The view is --view,
// else the set's own (the table view draws the time plot); the size is
// --size, else 800x600; "GraphShowHotSpots" frames the editable labels.
// Returns kExitOk; kExitUsage for a picture type it cannot write;
// kExitModelError when the lines could not be drawn ("Too many points", the
// file then holds the axes and that message); kExitCantCreate when the file
// cannot be written; kExitUnavailable in a build without Qt or when the
// module that draws cannot be loaded. Problems are reported on `err`.
int RenderPlotForBatch(const ResultsSet& set, const CliOptions& options, const Settings& settings,
                       std::ostream& err);

// Before any work: kExitUsage for a picture type that cannot be written,
// kExitUnavailable in a build without Qt, each reported on `err`; kExitOk
// otherwise and without --plot.
int CheckPlotOption(const CliOptions& options, std::ostream& err);
int RenderPlotForBatch(const ResultsSet& set, const CliOptions& options, const Settings& settings);

} // namespace kora::cli

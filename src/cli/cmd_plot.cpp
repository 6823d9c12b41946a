#include "commands.h"

#include <iostream>

#include "batch_settings.h"
#include "input_file.h"
#include "plot_output.h"
#include "results/plot_ranges.h"
#include "results/results_file.h"

namespace kora::cli {

int RunPlotCommand(const CliOptions& options) {
    const BatchSettings loaded = LoadBatchSettings(options);
    if (!loaded.ok()) {
        std::cerr << "kora-batch: " << loaded.error << "\n";
        return kExitNoInput;
    }
    const Settings& settings = loaded.settings;
    if (const std::string why = WhyUnreadable(options.input); !why.empty()) {
        std::cerr << "kora-batch: cannot open results file '" << options.input << "': " << why
                  << "\n";
        return kExitNoInput;
    }
    // As when a results document is opened: its own file supplies the plot
    // description, and the ranges are settled from the data.
    ResultsSet set;
    set.fileName = options.input;
    set.precision = settings.filePrec;
    const ResultsFileResult read = ReadResultsFile(set, options.input, '.', settings.stockColours);
    if (!read) {
        std::cerr << "kora-batch: " << read.reason << "\n";
        return read.unreadable ? kExitNoInput : kExitModelError;
    }
    Recompute(set, '.', settings.stockColours);
    return RenderPlotForBatch(set, options, settings);
}

} // namespace kora::cli

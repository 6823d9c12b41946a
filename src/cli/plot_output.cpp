#include "plot_output.h"

#include <iostream>

#include "on_demand_module.h"
#include "plot_module_entry.h"
#include "results/plot_format.h"

namespace kora::cli {

int RenderPlotForBatch(const ResultsSet& set, const CliOptions& options, const Settings& settings,
                       std::ostream& err) {
    if (!options.plot) return kExitOk;
#ifdef KORA_WITH_QT
    std::string reason;
    const auto entry = OnDemandFunction<BatchPlotEntry>(kPlotModuleFile, kPlotModuleEntry, reason);
    if (!entry) {
        err << "kora-batch: pictures cannot be drawn: " << reason << "\n";
        return kExitUnavailable;
    }
    return entry()(set, options, settings, err);
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

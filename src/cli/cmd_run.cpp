// kora-batch run: the model file's script (or its single implicit solve),
// executed by the same document code as the desktop application's.
#include <iostream>

#include "batch_run.h"
#include "batch_settings.h"
#include "commands.h"
#include "input_file.h"
#include "model_preflight.h"
#include "model_warnings.h"

namespace kora::cli {

int RunRunCommand(const CliOptions& options) {
    const BatchSettings loaded = LoadBatchSettings(options);
    if (!loaded.ok()) {
        std::cerr << "kora-batch: " << loaded.error << "\n";
        return kExitNoInput;
    }
    if (loaded.Refused(options)) return kExitModelError;
    const Settings settings = RunSettings(options, loaded.settings);
    // The model is built once before the script, so that a model the run
    // would reject, or a run too large to finish, costs nothing.
    PreflightModel prepared;
    prepared.fileName = options.input;
    if (const std::string why = WhyUnreadable(options.input);
        !why.empty() || ReadTextLines(options.input, prepared.fileLines) != TextReadStatus::Ok) {
        std::cerr << "kora-batch: cannot read model file '" << options.input << "': " << why
                  << "\n";
        return kExitNoInput;
    }
    std::vector<std::string> assignments;
    std::vector<std::string> setNames;
    for (const auto& [name, value] : options.assignments) {
        assignments.push_back(name + "=" + value);
        setNames.push_back(name);
    }
    if (!BuildPreflightModel(prepared, true, assignments, settings, std::cerr))
        return kExitModelError;
    const int warnings = ReportModelWarnings(prepared, settings, setNames, std::cerr);
    if (options.strict && warnings > 0) return kExitModelError;
    if (!WithinValueLimit(prepared, options.maxValues.value_or(settings.maxRunValues), std::cerr))
        return kExitModelError;
    return RunScriptForBatch(options, settings, std::cout, std::cerr);
}

} // namespace kora::cli

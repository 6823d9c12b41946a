// kora-batch run: the model file's script (or its single implicit solve),
// executed by the same document code as the desktop application's.
#include <iostream>

#include "batch_run.h"
#include "batch_settings.h"
#include "commands.h"

namespace kora::cli {

int RunRunCommand(const CliOptions& options) {
    const BatchSettings loaded = LoadBatchSettings(options);
    if (!loaded.ok()) {
        std::cerr << "kora-batch: " << loaded.error << "\n";
        return kExitNoInput;
    }
    return RunScriptForBatch(options, RunSettings(options, loaded.settings), std::cout, std::cerr);
}

} // namespace kora::cli

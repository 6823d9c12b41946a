#include "run_model_file.h"

#include "input_file.h"

namespace kora::cli {

int LoadBatchModelInput(const CliOptions& options, BatchModelInput& input, std::ostream& err) {
    BatchSettings loaded = LoadBatchSettings(options);
    if (!loaded.ok()) {
        err << "kora-batch: " << loaded.error << "\n";
        return kExitNoInput;
    }
    if (loaded.Refused(options)) return kExitModelError;
    input.settings = std::move(loaded.settings);
    if (const std::string why = ReadInputLines(options.input, input.editorLines); !why.empty()) {
        err << "kora-batch: cannot read model file '" << options.input << "': " << why << "\n";
        return kExitNoInput;
    }
    return kExitOk;
}

} // namespace kora::cli

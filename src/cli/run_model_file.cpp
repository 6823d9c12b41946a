#include "run_model_file.h"

#include "input_file.h"
#include "model/messages.h"

namespace kora::cli {

int LoadBatchModelInput(const CliOptions& options, BatchModelInput& input, std::ostream& err) {
    BatchSettings loaded = LoadBatchSettings(options);
    if (!loaded.ok()) {
        err << "kora-batch: " << loaded.error << "\n";
        return kExitNoInput;
    }
    if (loaded.Refused(options)) return kExitModelError;
    input.settings = std::move(loaded.settings);
    if (ReadTextLines(options.input, input.editorLines) != TextReadStatus::Ok ||
        !WhyUnreadable(options.input).empty()) {
        err << "kora-batch: cannot read model file '" << options.input
            << "': " << WhyUnreadable(options.input) << "\n";
        return kExitNoInput;
    }
    return kExitOk;
}

void PrintModelErrorReport(const ErrorDisplay& sink, std::ostream& err) {
    err << "CRITICAL ERROR:\n"
        << ModelMessage(sink.code) << sink.context << "\n"
        << sink.detail << "\n";
}

} // namespace kora::cli

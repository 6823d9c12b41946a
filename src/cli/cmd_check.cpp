// kora-batch check: builds a model file and reports as the error dialog would.
#include <iostream>

#include "batch_settings.h"
#include "commands.h"
#include "model/krm_parser.h"
#include "model/messages.h"
#include "model/model_text.h"
#include "run_model_file.h"

namespace kora::cli {

int RunCheckCommand(const CliOptions& options) {
    const BatchSettings loaded = LoadBatchSettings(options);
    if (!loaded.ok()) {
        std::cerr << "kora-batch: " << loaded.error << "\n";
        return kExitNoInput;
    }
    TextLines text;
    if (kora::ReadTextLines(options.input, text) != TextReadStatus::Ok) {
        std::cerr << "kora-batch: cannot read model file '" << options.input << "'\n";
        return kExitNoInput;
    }
    // The script block is not model text; the script engine checks it.
    const ExtractedLines extracted = ExtractModelLines(text, true);
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    ApplyModelSettings(model, loaded.settings);
    model.Build(extracted.modelLines);
    if (sink.code == 0) {
        std::cout << ModelMessage(0) << "\n";
        return kExitOk;
    }
    std::cerr << "CRITICAL ERROR:\n"
              << ModelMessage(sink.code) << sink.context << "\n"
              << sink.detail << "\n";
    return kExitModelError;
}

} // namespace kora::cli

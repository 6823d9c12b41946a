// kora-batch check: builds a model file and prepares its script, reporting as
// the error dialog and the script's warning boxes would.
#include <iostream>

#include "base/document_host.h"
#include "commands.h"
#include "model/krm_parser.h"
#include "model/messages.h"
#include "model_preflight.h"
#include "model_warnings.h"
#include "run_model_file.h"
#include "script/script_check.h"

namespace kora::cli {
namespace {

// Only warning boxes can come out of a script check: title, then text.
class CheckHost final : public WarningBoxes {
public:
    void WarningBox(const std::string& text, const std::string& title) override {
        std::cerr << title << "\n" << text << "\n";
    }
};

} // namespace

int RunCheckCommand(const CliOptions& options) {
    BatchModelInput input;
    if (int code = LoadBatchModelInput(options, input, std::cerr); code != kExitOk) return code;
    // The script block is not model text; the script check reads it.
    PreflightModel prepared;
    if (!BuildCheckedModel(prepared, options.input, input.editorLines, input.settings, std::cerr))
        return kExitModelError;
    const int warnings = ReportModelWarnings(prepared, input.settings, {}, std::cerr);
    if (options.strict && warnings > 0) return kExitModelError;
    NoteIfTaylorRefuses(prepared, std::cerr);
    CheckHost host;
    std::vector<std::string> serialLoops;
    if (!CheckScript(input.editorLines, ScriptDocumentInfo{options.input}, host, &serialLoops))
        return kExitModelError;
    for (const std::string& loop : serialLoops)
        std::cerr << options.input << ": note: " << loop << "\n";
    std::cout << ModelMessage(0) << "\n";
    return kExitOk;
}

} // namespace kora::cli

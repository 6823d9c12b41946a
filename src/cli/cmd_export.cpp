// kora-batch export: a model file as SBML Level 3 Version 2.
#include <iostream>

#include "commands.h"
#include "model_preflight.h"
#include "run_model_file.h"
#include "sbml/sbml_exchange.h"

namespace kora::cli {

int RunExportCommand(const CliOptions& options) {
    if (!SbmlAvailable()) return ReportSbmlProblems(SbmlStatus::Unavailable, {}, options.input);
    BatchModelInput input;
    if (int code = LoadBatchModelInput(options, input, std::cerr); code != kExitOk) return code;
    // What check, run and ss refuse is refused here too, in the same words,
    // before the converter sees it.
    PreflightModel prepared;
    if (!BuildCheckedModel(prepared, options.input, input.editorLines, input.settings, std::cerr))
        return kExitModelError;
    std::string xml;
    std::vector<std::string> problems;
    const SbmlStatus status = ExportSbml(input.editorLines, xml, problems);
    if (status != SbmlStatus::Ok) return ReportSbmlProblems(status, problems, options.input);
    return WriteConverted(options, xml);
}

} // namespace kora::cli

// kora-batch export: a model file as SBML Level 3 Version 2.
#include <iostream>

#include "commands.h"
#include "model_preflight.h"
#include "run_model_file.h"
#include "sbml_module_entry.h"

namespace kora::cli {

int RunExportCommand(const CliOptions& options) {
    std::string reason;
    const SbmlModuleFunctions* sbml = LoadSbmlModule(reason);
    if (!sbml) return ReportSbmlProblems(SbmlStatus::Unavailable, {reason}, options.input);
    if (!sbml->available()) return ReportSbmlProblems(SbmlStatus::Unavailable, {}, options.input);
    BatchModelInput input;
    if (int code = LoadBatchModelInput(options, input, std::cerr); code != kExitOk) return code;
    // What check, run and ss refuse is refused here too, in the same words,
    // before the converter sees it.
    PreflightModel prepared;
    if (!BuildCheckedModel(prepared, options.input, input.editorLines, input.settings, std::cerr))
        return kExitModelError;
    std::string xml;
    std::vector<std::string> problems;
    const SbmlStatus status = sbml->exportModel(input.editorLines, xml, problems);
    if (status != SbmlStatus::Ok) return ReportSbmlProblems(status, problems, options.input);
    return WriteConverted(options, xml);
}

} // namespace kora::cli

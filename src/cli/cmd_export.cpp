// kora-batch export: a model file as SBML Level 3 Version 2.
#include <iostream>

#include "commands.h"
#include "model/model_text.h"
#include "sbml/sbml_exchange.h"

namespace kora::cli {

int RunExportCommand(const CliOptions& options) {
    if (!SbmlAvailable()) return ReportSbmlProblems(SbmlStatus::Unavailable, {}, options.input);
    TextLines lines;
    if (ReadTextLines(options.input, lines) != TextReadStatus::Ok) {
        std::cerr << "kora-batch: cannot read '" << options.input << "'\n";
        return kExitNoInput;
    }
    std::string xml;
    std::vector<std::string> problems;
    const SbmlStatus status = ExportSbml(lines, xml, problems);
    if (status != SbmlStatus::Ok) return ReportSbmlProblems(status, problems, options.input);
    return WriteConverted(options, xml);
}

} // namespace kora::cli

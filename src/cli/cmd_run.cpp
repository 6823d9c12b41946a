// kora-batch run: the model file's script (or its single implicit solve),
// executed by the same document code as the desktop application's.
#include <iostream>

#include "batch_run.h"
#include "commands.h"
#include "common/text_trim.h"
#include "model_preflight.h"
#include "model_warnings.h"
#include "run_model_file.h"

namespace kora::cli {
namespace {

// The name an assignment gives a value to, as the model reads it: blanks
// around it do not count, and "X'" sets the equation of X.
std::string AssignedName(std::string_view name) {
    name = TrimBlanks(name);
    if (!name.empty() && name.back() == '\'') name = TrimBlanks(name.substr(0, name.size() - 1));
    return std::string(name);
}

} // namespace

int RunRunCommand(const CliOptions& options) {
    BatchModelInput input;
    if (int code = LoadBatchModelInput(options, input, std::cerr); code != kExitOk) return code;
    const Settings settings = RunSettings(options, input.settings);
    // The model is built once before the script, so that a model the run
    // would reject costs nothing; each solve checks its own size.
    PreflightModel prepared;
    prepared.fileName = options.input;
    prepared.fileLines = std::move(input.editorLines);
    std::vector<std::string> assignments;
    std::vector<std::string> setNames;
    for (const auto& [name, value] : options.assignments) {
        assignments.push_back(name + "=" + value);
        setNames.push_back(AssignedName(name));
    }
    if (!BuildPreflightModel(prepared, true, assignments, settings, std::cerr))
        return kExitModelError;
    const int warnings = ReportModelWarnings(prepared, settings, setNames, std::cerr);
    if (options.strict && warnings > 0) return kExitModelError;
    return RunScriptForBatch(options, settings, prepared.fileLines, std::cout, std::cerr);
}

} // namespace kora::cli

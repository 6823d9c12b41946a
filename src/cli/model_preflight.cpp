#include "model_preflight.h"

#include "model/messages.h"
#include "model_diagnostics.h"
#include "script/script_execution.h"
#include "solve/model_settings.h"

namespace kora::cli {
namespace {

constexpr int kNoDifferentialEquations = 31600;
constexpr int kNoGmaEquations = 18;

} // namespace

bool BuildPreflightModel(PreflightModel& prepared, bool dropScript,
                         const std::vector<std::string>& assignments, const Settings& settings,
                         std::ostream& err) {
    prepared.modelLines = ExtractModelLines(prepared.fileLines, dropScript).modelLines;
    KRMparser& model = prepared.model;
    ApplyModelSettings(model, settings);
    // Assignments land on the statements they name, as before a script.
    for (const std::string& assignment : assignments)
        ApplyAssignment(model, prepared.modelLines, assignment);
    model.Build(prepared.modelLines);
    if (prepared.sink.code != 0) {
        PrintModelDiagnostic(model, prepared.sink, prepared.fileName, prepared.fileLines,
                             prepared.modelLines, "error", err);
        return false;
    }
    if (model.VariableCount() == 0) {
        err << PlacePrefix(prepared.fileName, {})
            << "error: " << MessageText(kNoDifferentialEquations) << '\n';
        return false;
    }
    return true;
}

bool BuildCheckedModel(PreflightModel& prepared, const std::string& fileName,
                       const TextLines& fileLines, const Settings& settings, std::ostream& err) {
    prepared.fileName = fileName;
    prepared.fileLines = fileLines;
    return BuildPreflightModel(prepared, true, {}, settings, err);
}

bool NoteIfTaylorRefuses(PreflightModel& prepared, std::ostream& err) {
    if (prepared.model.BuildForm() && prepared.sink.code == 0) return true;
    if (prepared.sink.code == 0) prepared.sink.code = kNoGmaEquations;
    PrintModelDiagnostic(prepared.model, prepared.sink, prepared.fileName, prepared.fileLines,
                         prepared.modelLines, "note: the Taylor method cannot run this model", err);
    return false;
}

} // namespace kora::cli

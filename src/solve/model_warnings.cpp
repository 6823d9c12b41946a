#include "model_warnings.h"

#include <algorithm>
#include <map>
#include <set>

#include "base/document_host.h"
#include "common/ascii_case.h"
#include "model/krm_parser.h"
#include "model/model_place.h"
#include "model_settings.h"
#include "script/script_command.h"
#include "script/script_prepare.h"

namespace kora {
namespace {

bool EndsWithContinuation(const std::string& line) {
    return line.size() >= 2 && line.compare(line.size() - 2, 2, ">>") == 0;
}

// The line that closes a script block stays among the model lines.
bool EndsScript(const std::string& line) {
    const std::string upper = UpperAscii(line);
    return upper == "END SCRIPT" || upper == "ENDSCRIPT";
}

class WarningList {
public:
    WarningList(const TextLines& fileLines, const TextLines& modelLines)
        : fileLines_(fileLines), modelLines_(modelLines) {}

    void At(size_t modelIndex, const std::string& text) {
        warnings_.push_back({FileLineOf(fileLines_, modelLines_, modelIndex), false, text});
    }
    void Outside(const std::string& text) { warnings_.push_back({0, true, text}); }
    std::vector<ModelWarning>& warnings() { return warnings_; }

private:
    const TextLines& fileLines_;
    const TextLines& modelLines_;
    std::vector<ModelWarning> warnings_;
};

bool Defines(const KRMparser& reader, const std::string& name) {
    auto named = [&name](const Statement& s) { return s.name == name; };
    const auto& predefined = reader.predefinedNames;
    return std::any_of(reader.equations.begin(), reader.equations.end(), named) ||
           std::any_of(reader.assignments.begin(), reader.assignments.end(), named) ||
           std::find(predefined.begin(), predefined.end(), name) != predefined.end();
}

// A script is prepared here only to look at its SETTING commands; its
// errors are reported by the commands themselves.
class QuietHost final : public WarningBoxes {
public:
    void WarningBox(const std::string&, const std::string&) override {}
};

// A SETTING command whose lists yield no value runs its loop body never.
void WarnAboutEmptySettings(const TextLines& fileLines, std::vector<ModelWarning>& warnings) {
    const TextLines scriptLines = ExtractModelLines(fileLines, true).scriptLines;
    if (scriptLines.empty()) return;
    QuietHost host;
    PreparedScript script;
    if (!Prepare(scriptLines, ScriptDocumentInfo{}, script, host)) return;
    for (const ScriptCommandStatus& command : script.commands) {
        if (command.code != kCmdSetting || !command.arguments.empty()) continue;
        const size_t index = static_cast<size_t>(command.sourceLine);
        warnings.push_back({FileLineOf(fileLines, scriptLines, index), false,
                            "SETTING yields no value, its loop never runs: " + scriptLines[index]});
    }
}

} // namespace

std::vector<ModelWarning> CollectModelWarnings(const TextLines& fileLines, const Settings& settings,
                                               const std::vector<std::string>& setNames) {
    // Read afresh: a build sorts and drops statements (events outside the run).
    const TextLines modelLines = ExtractModelLines(fileLines, true).modelLines;
    KRMForm form;
    ErrorDisplay sink;
    KRMparser reader(&form, &sink);
    ApplyModelSettings(reader, settings);
    reader.lines = &modelLines;
    reader.ReadStatements();

    std::map<int32_t, size_t> lineAt; // model text offset -> model line
    for (size_t i = 0, offset = 0; i < modelLines.size(); offset += modelLines[i++].size() + 2)
        lineAt[static_cast<int32_t>(offset)] = i;
    std::set<int32_t> starts;
    for (const auto* list : {&reader.keywordLines, &reader.equations, &reader.assignments,
                             &reader.events, &reader.eventLines})
        for (const Statement& statement : *list)
            starts.insert(statement.offset);

    WarningList warnings(fileLines, modelLines);
    for (const auto& [offset, index] : lineAt) {
        const bool continued = index > 0 && EndsWithContinuation(modelLines[index - 1]);
        if (!continued && starts.count(offset) == 0 && !EndsScript(modelLines[index]))
            warnings.At(index, "not a statement, ignored: " + modelLines[index]);
    }
    std::map<std::string, std::set<std::string>> listed; // keyword -> names so far
    for (const Statement& line : reader.keywordLines) {
        if (line.name != reader.keywords[0] && line.name != reader.keywords[1]) continue;
        for (const std::string& name : ListedNames(line)) {
            const size_t index = lineAt[line.offset];
            if (!Defines(reader, name))
                warnings.At(index, "'" + line.name + "' names '" + name +
                                       "', which the model does not define");
            else if (!listed[line.name].insert(name).second)
                warnings.At(index, "'" + line.name + "' lists '" + name + "' twice");
        }
    }
    for (const std::string& name : setNames)
        if (!Defines(reader, name))
            warnings.Outside("--set names '" + name + "', which the model does not define");
    WarnAboutEmptySettings(fileLines, warnings.warnings());
    return std::move(warnings.warnings());
}

} // namespace kora

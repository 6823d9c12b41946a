#include "script_prepare.h"

#include <optional>
#include <string_view>

#include "base/document_host.h"
#include "common/text_trim.h"
#include "script_messages.h"
#include "setting_declaration.h"

namespace kora {

namespace {

struct ScriptError {
    std::string text;
    std::string_view title;
};

bool IsComment(std::string_view line) {
    return line.size() >= 2 && line.substr(0, 2) == "//";
}

std::optional<ScriptError> ParseCommands(const std::vector<std::string>& scriptLines,
                                         std::vector<ScriptCommandStatus>& commands) {
    for (size_t index = 0; index < scriptLines.size(); ++index) {
        const std::string_view line = TrimSpaceAndControls(scriptLines[index]);
        if (line.empty() || IsComment(line)) continue;
        const size_t row = FindCommandRow(line);
        if (row == kScriptCommandTable.size()) {
            return ScriptError{std::string(line), kTitleInvalidScriptCommand};
        }
        const MatchResult match = Match(row, line);
        ScriptCommandStatus command;
        command.code = match.code;
        command.sourceLine = static_cast<int>(index);
        command.arguments = SplitArguments(line, match);
        commands.push_back(std::move(command));
    }
    return std::nullopt;
}

// Pairs every SETTING with the NEXT that closes it, as brackets nest. A stack
// gives the same pairs as walking forward from each SETTING with a depth
// count, in linear time; `matched` is kept apart from `ref` because a SETTING
// may stand at index 0, where ref 0 cannot mean "unmatched".
std::optional<ScriptError> MatchLoops(const std::vector<std::string>& scriptLines,
                                      std::vector<ScriptCommandStatus>& commands) {
    std::vector<bool> matched(commands.size(), false);
    std::vector<size_t> open;
    for (size_t i = 0; i < commands.size(); ++i) {
        if (commands[i].code == kCmdSetting) {
            open.push_back(i);
        } else if (commands[i].code == kCmdNext && !open.empty()) {
            const size_t setting = open.back();
            open.pop_back();
            commands[setting].ref = static_cast<int>(i);
            commands[i].ref = static_cast<int>(setting);
            matched[setting] = matched[i] = true;
        }
    }
    for (size_t i = 0; i < commands.size(); ++i) {
        if (matched[i]) continue;
        if (commands[i].code == kCmdSetting) {
            const std::string_view line = TrimSpaceAndControls(scriptLines[commands[i].sourceLine]);
            return ScriptError{std::string(line), kTitleNextNotFound};
        }
        if (commands[i].code == kCmdNext) {
            return ScriptError{std::string(kTextTooManyNext), kTitleScriptError};
        }
    }
    return std::nullopt;
}

bool NamesAFile(int code) {
    return code == kCmdOpen || code == kCmdActivateOther || code == kCmdMerge ||
           code == kCmdClose || code == kCmdSaveResults;
}

std::optional<ScriptError> CompleteCommands(const std::vector<std::string>& scriptLines,
                                            const ScriptDocumentInfo& document,
                                            PreparedScript& prepared) {
    for (ScriptCommandStatus& command : prepared.commands) {
        if (NamesAFile(command.code)) {
            for (std::string& argument : command.arguments)
                argument = Resolve(document, argument);
        } else if (command.code == kCmdWrite) {
            prepared.scriptWrites = true;
        } else if (command.code == kCmdSetting) {
            std::vector<std::string> assignments;
            if (!ExpandSettingDeclarations(command.arguments, assignments)) {
                const std::string_view line = TrimSpaceAndControls(scriptLines[command.sourceLine]);
                return ScriptError{std::string(line), kTitleInvalidSetting};
            }
            command.arguments = std::move(assignments);
        }
    }
    return std::nullopt;
}

} // namespace

bool Prepare(const std::vector<std::string>& scriptLines, const ScriptDocumentInfo& document,
             PreparedScript& prepared, WarningBoxes& host) {
    prepared.commands.clear();
    prepared.scriptWrites = false;
    std::optional<ScriptError> error = ParseCommands(scriptLines, prepared.commands);
    if (!error) error = MatchLoops(scriptLines, prepared.commands);
    if (!error) error = CompleteCommands(scriptLines, document, prepared);
    if (error) {
        prepared.commands.clear();
        prepared.scriptWrites = false;
        host.WarningBox(error->text, std::string(error->title));
        return false;
    }
    prepared.continuation = false;
    prepared.superimpose = true;
    return true;
}

} // namespace kora

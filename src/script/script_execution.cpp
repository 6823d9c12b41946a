#include "script_execution.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/app_host.h"
#include "base/document_host.h"
#include "base/winintegrator.h"
#include "common/ascii_case.h"
#include "common/file_names.h"
#include "common/same_file.h"
#include "common/text_trim.h"
#include "write_items.h"

namespace kora {

namespace {

std::string JoinAsModelText(const TextLines& lines) {
    std::string whole;
    for (const std::string& line : lines) {
        whole += line;
        whole += "\r\n";
    }
    return whole;
}

TextLines SplitModelText(const std::string& whole) {
    TextLines lines;
    size_t start = 0;
    while (start < whole.size()) {
        size_t end = whole.find("\r\n", start);
        if (end == std::string::npos) end = whole.size();
        lines.push_back(whole.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

const std::string& Argument(const ScriptCommandStatus& command) {
    static const std::string kNone;
    return command.arguments.empty() ? kNone : command.arguments.front();
}

std::string ScriptLine(const ScriptRunState& state, const ScriptCommandStatus& command) {
    const size_t line = static_cast<size_t>(command.sourceLine);
    return line < state.scriptLines.size()
               ? std::string(TrimSpaceAndControls(state.scriptLines[line]))
               : std::string();
}

void ApplyAll(ScriptDocument& document, const ScriptCommandStatus& command) {
    ScriptRunState& state = document.scriptState();
    for (const std::string& assignment : command.arguments)
        ApplyAssignment(document.model(), state.modelLines, assignment);
}

void Open(ScriptDocument& document, const std::string& name) {
    DocumentList& documents = document.app().documents();
    if (documents.IsOpen(name)) return;
    std::error_code error;
    if (!std::filesystem::exists(name, error)) std::ofstream(name).flush();
    documents.Open(name);
}

void Close(ScriptDocument& document, const ScriptCommandStatus& command) {
    const std::string& name = Argument(command);
    DocumentList& documents = document.app().documents();
    ScriptRunState& state = document.scriptState();
    if (!documents.IsOpen(name)) {
        document.host().WarningBox(ScriptLine(state, command), std::string(kTitleFileNotOpened));
        return;
    }
    if (!SameFile(name, state.fileName)) documents.Close(name);
}

void Write(ScriptDocument& document, const ScriptCommandStatus& command) {
    ScriptRunState& state = document.scriptState();
    WriteSources sources;
    sources.timerMs = TickCountMs() - state.timerStart;
    sources.lastCourse = document.HasResults() ? document.LastTimeCourse() : nullptr;
    sources.fitFigures = &state.fitFigures;
    sources.locateDeclaration = [&document, &state](std::string& item) {
        int32_t offset = 0;
        int32_t length = 0;
        return document.model().Locate(state.modelLines, item, offset, length, true);
    };
    const std::string output =
        FormatWriteOutput(Argument(command), state.prepared.continuation, sources);
    if (state.messagesOpen) document.app().AppendMessages(state.fileName, output);
}

void Merge(ScriptDocument& document, const ScriptCommandStatus& command) {
    if (!document.HasResults()) return;
    if (!document.MergeResults(Argument(command)))
        document.host().WarningBox(ScriptLine(document.scriptState(), command),
                                   std::string(kTitleCouldNotMerge));
}

// The script goes on when the file is written.
void Save(ScriptDocument& document, const ScriptCommandStatus& command) {
    // A failed save must not pass for a saved file.
    const std::string line = ScriptLine(document.scriptState(), command);
    document.SaveResultsAndContinue(
        ResultsSaveName(Argument(command)), [&document, line](const std::string& reason) {
            document.host().WarningBox(line + "\n" + reason, std::string(kTitleCouldNotSave));
        });
}

void Superimpose(ScriptRunState& state, const ScriptCommandStatus& command) {
    const std::string word = UpperAscii(TrimSpaceAndControls(Argument(command)));
    if (word == "ON") state.prepared.superimpose = true;
    if (word == "OFF") state.prepared.superimpose = false;
}

// "k=0.3" as a legend shows it: "k = 0.3".
std::string AssignmentLabel(std::string_view assignment) {
    const std::string_view text = TrimSpaceAndControls(assignment);
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) return std::string(text);
    return std::string(TrimSpaceAndControls(text.substr(0, equals))) + " = " +
           std::string(TrimSpaceAndControls(text.substr(equals + 1)));
}

// The values of the running loops, outer first, then the solve's own
// assignments.
std::string RunLabel(const ScriptRunState& state, const ScriptCommandStatus& command) {
    std::string label;
    auto add = [&label](const std::string& part) {
        if (part.empty()) return;
        if (!label.empty()) label += ", ";
        label += part;
    };
    for (const auto& [index, value] : state.loopValues)
        add(value);
    if (command.code == kCmdSetAndSolve)
        for (const std::string& assignment : command.arguments)
            add(AssignmentLabel(assignment));
    return label;
}

void Setting(ScriptDocument& document, ScriptCommandStatus& command) {
    ScriptRunState& state = document.scriptState();
    if (static_cast<size_t>(command.currarg) >= command.arguments.size()) {
        // Ready for the next pass of an enclosing loop.
        command.currarg = 0;
        state.loopValues.erase(state.counter);
        state.counter = static_cast<size_t>(command.ref) + 1;
        return;
    }
    const std::string& assignment = command.arguments[static_cast<size_t>(command.currarg)];
    state.loopValues[state.counter] = AssignmentLabel(assignment);
    ApplyAssignment(document.model(), state.modelLines, assignment);
    ++command.currarg;
    ++state.counter;
}

// Executes one command; true when the next command may follow at once.
bool Execute(ScriptDocument& document, ScriptCommandStatus& command) {
    ScriptRunState& state = document.scriptState();
    DocumentHost& host = document.host();
    DocumentList& documents = document.app().documents();
    switch (command.code) {
    case kCmdSolve:
        state.runLabel = RunLabel(state, command);
        ++state.counter;
        document.Solve();
        return false;
    case kCmdSetAndSolve:
        ApplyAll(document, command);
        state.runLabel = RunLabel(state, command);
        ++state.counter;
        document.Solve();
        return false;
    case kCmdSteadyState:
        ++state.counter;
        document.SteadyState();
        return false;
    case kCmdFit:
        ++state.counter;
        document.Fit(Argument(command));
        return false;
    case kCmdSetting:
        Setting(document, command);
        return true;
    case kCmdNext:
        state.counter = static_cast<size_t>(command.ref);
        return true;
    case kCmdRestore:
        state.modelLines = host.EditorLines();
        break;
    case kCmdSet:
        ApplyAll(document, command);
        break;
    case kCmdOpen:
        Open(document, Argument(command));
        break;
    case kCmdActivateSelf:
        documents.Activate(state.fileName);
        break;
    case kCmdActivateOther:
        if (documents.IsOpen(Argument(command)))
            documents.Activate(Argument(command));
        else
            host.WarningBox(ScriptLine(state, command), std::string(kTitleFileNotOpened));
        break;
    case kCmdWrite:
        Write(document, command);
        break;
    case kCmdResetTimer:
        state.timerStart = TickCountMs();
        break;
    case kCmdMerge:
        Merge(document, command);
        break;
    case kCmdClose:
        Close(document, command);
        break;
    case kCmdSaveResults:
        if (!document.HasResults()) break;
        ++state.counter;
        Save(document, command);
        return false;
    case kCmdClearResults:
        if (document.HasResults()) document.ClearResults();
        break;
    case kCmdSuperimpose:
        Superimpose(state, command);
        break;
    default: // SCRIPT
        break;
    }
    ++state.counter;
    return true;
}

void ReportProblem(ScriptDocument& document, size_t index, const std::string& what) {
    ScriptRunState& state = document.scriptState();
    const ScriptCommandStatus& command = state.prepared.commands[index];
    const std::string text = std::to_string(index) + ": " + ScriptLine(state, command) +
                             " with ref " + std::to_string(command.ref) + " with currarg " +
                             std::to_string(command.currarg);
    document.host().WarningBox(text, std::string(kTitleProblemExecuting));
    document.EndScript();
    document.ContinueScript();
    document.app().ReportInternalError(what);
}

} // namespace

namespace {

// Replaces `count` characters at `begin` of the joined model text with
// `text` inside the one line that holds them, as joining, replacing and
// splitting again would; false when the edit could reach past that line or
// a line break could split differently, and the whole text must be redone.
bool ReplaceWithinOneLine(TextLines& modelLines, size_t begin, size_t count,
                          const std::string& text) {
    if (text.find_first_of("\r\n") != std::string::npos) return false;
    for (const std::string& line : modelLines)
        if (line.find('\n') != std::string::npos) return false;
    size_t lineStart = 0;
    for (std::string& line : modelLines) {
        if (begin >= lineStart && begin + count <= lineStart + line.size()) {
            line.replace(begin - lineStart, count, text);
            return true;
        }
        lineStart += line.size() + 2;
    }
    return false;
}

} // namespace

void ApplyAssignment(KRMparser& model, TextLines& modelLines, std::string_view assignment) {
    const std::string text(TrimSpaceAndControls(assignment));
    std::string located = text;
    int32_t offset = 0;
    int32_t length = 0;
    if (!model.Locate(modelLines, located, offset, length, false)) {
        modelLines.push_back(text);
        return;
    }
    if (offset >= 0 && length >= 0 &&
        ReplaceWithinOneLine(modelLines, static_cast<size_t>(offset), static_cast<size_t>(length),
                             text))
        return;
    std::string whole = JoinAsModelText(modelLines);
    const size_t begin = std::min(static_cast<size_t>(std::max(offset, 0)), whole.size());
    const size_t count = std::min(static_cast<size_t>(std::max(length, 0)), whole.size() - begin);
    whole.replace(begin, count, text);
    modelLines = SplitModelText(whole);
}

std::string MessagesCaption(const std::string& fileName) {
    return "Messages from " + std::string(BaseFileName(fileName));
}

std::string ResultsSaveName(const std::string& name) {
    return IsResultsFileName(name) ? name : name + ".res";
}

void ExecuteNext(ScriptDocument& document) {
    ScriptRunState& state = document.scriptState();
    if (state.counter == 0) state.timerStart = TickCountMs();
    if (state.counter >= state.prepared.commands.size()) {
        document.EndScript();
        document.ContinueScript();
        return;
    }
    const size_t index = state.counter;
    try {
        if (Execute(document, state.prepared.commands[index])) document.ContinueScript();
    } catch (const std::exception& failure) {
        ReportProblem(document, index, failure.what());
    } catch (...) {
        ReportProblem(document, index, "unknown failure");
    }
}

} // namespace kora

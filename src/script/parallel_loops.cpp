#include "parallel_loops.h"

namespace kora {

namespace {

// What keeps a command from running inside a parallel pass; empty for the
// commands a pass may hold.
std::string CommandObstacle(int code) {
    switch (code) {
    case kCmdOpen:
    case kCmdClose:
    case kCmdMerge:
    case kCmdActivateSelf:
    case kCmdActivateOther:
        return "it opens, closes, merges or activates documents";
    case kCmdFit:
        return "FIT changes the model from the results of a pass";
    case kCmdSteadyState:
        return "STEADY STATE runs on the document's own solver";
    default:
        return {};
    }
}

bool IsLoop(const PreparedScript& prepared, size_t index) {
    const ScriptCommandStatus& command = prepared.commands[index];
    return command.code == kCmdSetting && static_cast<size_t>(command.ref) > index &&
           static_cast<size_t>(command.ref) < prepared.commands.size();
}

} // namespace

std::string SerialLoopReason(const PreparedScript& prepared, size_t setting) {
    if (setting >= prepared.commands.size() || !IsLoop(prepared, setting))
        return "it is not a loop";
    const size_t next = static_cast<size_t>(prepared.commands[setting].ref);
    for (size_t i = setting + 1; i < next; ++i)
        if (std::string obstacle = CommandObstacle(prepared.commands[i].code); !obstacle.empty())
            return obstacle;
    return {};
}

std::optional<size_t> ParallelLoopAround(const PreparedScript& prepared, size_t command,
                                         const std::set<size_t>& serial) {
    for (size_t i = 0; i < command && i < prepared.commands.size(); ++i) {
        if (!IsLoop(prepared, i) || static_cast<size_t>(prepared.commands[i].ref) <= command)
            continue;
        if (!serial.contains(i) && SerialLoopReason(prepared, i).empty()) return i;
    }
    return std::nullopt;
}

std::vector<SerialLoopNote> SerialLoops(const PreparedScript& prepared) {
    std::vector<SerialLoopNote> notes;
    for (size_t i = 0; i < prepared.commands.size(); ++i) {
        if (!IsLoop(prepared, i)) continue;
        if (std::string reason = SerialLoopReason(prepared, i); !reason.empty())
            notes.push_back({prepared.commands[i].sourceLine, std::move(reason)});
    }
    return notes;
}

} // namespace kora

#include "sweep_walk.h"

#include "script_execution.h"

namespace kora {

SweepWalk::SweepWalk(const ScriptRunState& state, size_t loop,
                     std::function<TextLines()> editorLines)
    : commands_(state.prepared.commands), loop_(loop),
      next_(static_cast<size_t>(state.prepared.commands[loop].ref)),
      editorLines_(std::move(editorLines)), counter_(state.counter), lines_(state.modelLines) {
    currarg_.reserve(commands_.size());
    for (const ScriptCommandStatus& command : commands_)
        currarg_.push_back(command.currarg);
}

bool SweepWalk::Next(KRMparser& model, TextLines& lines) {
    if (!firstGiven_) {
        firstGiven_ = true;
        lines = lines_;
        return true;
    }
    while (counter_ >= loop_ && counter_ <= next_) {
        if (Step(model)) {
            lines = lines_;
            return true;
        }
    }
    return false;
}

// One command as the execution moves through it; true after a solve.
bool SweepWalk::Step(KRMparser& model) {
    const ScriptCommandStatus& command = commands_[counter_];
    auto applyAll = [&] {
        for (const std::string& assignment : command.arguments)
            ApplyAssignment(model, lines_, assignment);
    };
    switch (command.code) {
    case kCmdSetting: {
        int& argument = currarg_[counter_];
        if (static_cast<size_t>(argument) >= command.arguments.size()) {
            argument = 0;
            counter_ = static_cast<size_t>(command.ref) + 1;
            return false;
        }
        ApplyAssignment(model, lines_, command.arguments[static_cast<size_t>(argument)]);
        ++argument;
        ++counter_;
        return false;
    }
    case kCmdNext:
        counter_ = static_cast<size_t>(command.ref);
        return false;
    case kCmdSolve:
        ++counter_;
        return true;
    case kCmdSetAndSolve:
        applyAll();
        ++counter_;
        return true;
    case kCmdSet:
        applyAll();
        break;
    case kCmdRestore:
        lines_ = editorLines_();
        break;
    default:
        break;
    }
    ++counter_;
    return false;
}

} // namespace kora

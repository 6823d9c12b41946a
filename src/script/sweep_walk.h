// The model lines each solve of a SETTING loop will see, worked out ahead of
// the loop's execution: a walk through the loop's remaining passes that
// applies its assignments exactly as the execution does and skips everything
// else. Valid only for loops whose passes never read a result into the model
// (see parallel_loops.h).
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "model/krm_parser.h"
#include "script_document.h"

namespace kora {

class SweepWalk {
public:
    // Starts at the state of `state` just after the solve command before
    // `state.counter`, in the loop whose SETTING command is `loop`. The first
    // solve it gives is that one, with `state.modelLines`. `editorLines`
    // serves RESTORE.
    SweepWalk(const ScriptRunState& state, size_t loop, std::function<TextLines()> editorLines);

    // The lines of the next solve; false once the loop is over.
    bool Next(KRMparser& model, TextLines& lines);

    size_t loop() const { return loop_; }
    // The range of command indices inside the loop, its SETTING and NEXT.
    bool Contains(size_t command) const { return command > loop_ && command < next_; }

private:
    bool Step(KRMparser& model);

    const std::vector<ScriptCommandStatus>& commands_;
    size_t loop_;
    size_t next_;
    std::function<TextLines()> editorLines_;
    std::vector<int> currarg_; // the SETTING commands' counters, as the walk moves them
    size_t counter_;
    TextLines lines_;
    bool firstGiven_ = false;
};

} // namespace kora

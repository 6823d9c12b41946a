#include "sweep_plan.h"

#include <utility>

namespace kora {

SweepPlan::SweepPlan(SweepWalk walk, ParallelSolves& solves, size_t ahead)
    : walk_(std::move(walk)), solves_(solves), ahead_(ahead) {}

SweepPlan::~SweepPlan() {
    solves_.Clear();
}

SweepPlan::Take SweepPlan::Next(KRMparser& model, const TextLines& lines, RunOutcome& outcome,
                                bool wait) {
    // The walk keeps ahead of the execution, so the workers never run dry.
    TextLines text;
    while (!walked_ && solves_.Waiting() < ahead_) {
        if (!walk_.Next(model, text)) {
            walked_ = true;
            break;
        }
        solves_.Add(std::move(text));
    }
    if (solves_.Waiting() == 0) return Take::Exhausted;
    if (!wait && !solves_.NextSolved()) return Take::Pending;
    RunOutcome solved = solves_.Take(text);
    if (text != lines) return Take::Mismatch;
    outcome = std::move(solved);
    return Take::Ready;
}

} // namespace kora

// The solves of a parallel SETTING loop, worked out ahead and solved on
// worker threads while the script's own execution goes on, and handed out in
// loop order as the execution reaches them. The execution still applies
// every command itself; a solve whose model lines differ from the ones worked
// out ahead gets no outcome from the plan.
#pragma once

#include <cstddef>

#include "parallel_solves.h"
#include "script/sweep_walk.h"

namespace kora {

class SweepPlan {
public:
    // At most `ahead` solves wait for the execution at any time.
    SweepPlan(SweepWalk walk, ParallelSolves& solves, size_t ahead);
    ~SweepPlan();
    SweepPlan(const SweepPlan&) = delete;
    SweepPlan& operator=(const SweepPlan&) = delete;

    enum class Take { Ready, Mismatch, Exhausted, Pending };
    // The outcome of the loop's next solve, which is about to solve `lines`.
    // Without `wait`, Pending while that solve is still in progress.
    Take Next(KRMparser& model, const TextLines& lines, RunOutcome& outcome, bool wait = true);
    // After Pending: returns once the next solve is done (any thread).
    void WaitForNext() { solves_.WaitForNext(); }

    size_t loop() const { return walk_.loop(); }
    bool Contains(size_t command) const { return walk_.Contains(command); }

private:
    SweepWalk walk_;
    ParallelSolves& solves_;
    size_t ahead_;
    bool walked_ = false; // the walk has left the loop
};

} // namespace kora

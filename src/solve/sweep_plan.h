// The solves of a parallel SETTING loop, computed ahead in batches on worker
// threads and handed out in loop order as the script's own execution reaches
// them; the next batch solves while the execution uses the last. The
// execution still applies every command itself; a solve whose model lines
// differ from the ones worked out ahead gets no outcome from the plan.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "parallel_solves.h"
#include "script/sweep_walk.h"

namespace kora {

class SweepPlan {
public:
    // `batch` solves are computed at a time.
    SweepPlan(SweepWalk walk, ParallelSolves& solves, size_t batch);
    ~SweepPlan();
    SweepPlan(const SweepPlan&) = delete;
    SweepPlan& operator=(const SweepPlan&) = delete;

    enum class Take { Ready, Mismatch, Exhausted };
    // The outcome of the loop's next solve, which is about to solve `lines`.
    Take Next(KRMparser& model, const TextLines& lines, const std::atomic<bool>* stop,
              RunOutcome& outcome);

    size_t loop() const { return walk_.loop(); }
    bool Contains(size_t command) const { return walk_.Contains(command); }

private:
    // The model lines of the loop's next solves, at most a batch of them.
    std::vector<TextLines> WalkBatch(KRMparser& model);

    SweepWalk walk_;
    ParallelSolves& solves_;
    size_t batchSize_;
    bool solving_ = false; // a batch is with the workers
    SolveBatch ready_;
    size_t next_ = 0;
};

} // namespace kora

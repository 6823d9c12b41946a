// Solves of independent model texts on worker threads, each worker with its
// own compiled model, form and solver for as long as this object lives. Texts
// are queued one by one while earlier ones solve; their outcomes are taken
// in the order of the queue, whatever thread solved them. A caller that
// would wait for the next outcome solves a queued text itself meanwhile, so
// `threads` solvers are one caller and threads - 1 workers: no core is
// shared between a waiting caller and a worker, and the caller seldom sleeps.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "model/model_text.h"
#include "run_driver.h"
#include "settings/settings.h"

namespace kora {

// The number of worker threads of `asked`: itself when positive, else one per core.
int SweepThreadCount(int asked);

class ParallelSolves {
public:
    // `settings` give the models their predefined names; a solve of more
    // than their "MaxRunValues" is declined (kCategoryDeclined), to be asked
    // about by the caller. `stop` is read between slices: a stopped solve
    // comes back with the solver's stopped status.
    ParallelSolves(int threads, const Settings& settings, RunConfiguration configuration,
                   const std::atomic<bool>* stop);
    // Ends the workers after the solves in progress.
    ~ParallelSolves();
    ParallelSolves(const ParallelSolves&) = delete;
    ParallelSolves& operator=(const ParallelSolves&) = delete;

    void Add(TextLines text);
    // Texts added and not yet taken.
    size_t Waiting() const { return waiting_; }
    // The oldest text not taken yet and its outcome, once it is solved.
    // Only when Waiting() > 0.
    RunOutcome Take(TextLines& text);
    // Whether Take would return at once; only when Waiting() > 0.
    bool NextSolved();
    // Returns once Take would return at once; only when Waiting() > 0.
    // Both Take and this solve queued texts while they wait.
    void WaitForNext();
    // Drops every text not taken; the solves in progress are stopped at
    // their next slice, and waited for.
    void Clear();

private:
    struct Worker;
    struct Slot {
        TextLines text;
        RunOutcome outcome;
        bool done = false;
        Worker* solver = nullptr; // whose thread allocated the outcome
    };
    void Work(Worker& worker);
    RunOutcome Solve(Worker& worker, const TextLines& text);
    // The caller's own copy of a slot's outcome; a worker's original goes
    // back to that worker to be freed.
    RunOutcome Handover(Slot& slot);
    // Returns with the lock held once the oldest slot is done, solving
    // unclaimed slots with the caller's worker while it is not.
    void HelpUntilNextSolved(std::unique_lock<std::mutex>& lock);
    bool Stopping() const;

    std::vector<std::unique_ptr<Worker>> workers_;
    std::unique_ptr<Worker> caller_; // used by one waiting caller at a time
    RunConfiguration configuration_;
    int64_t maxRunValues_;
    const std::atomic<bool>* stop_;
    size_t waiting_ = 0; // the caller's count, read without the lock

    // Guarded by mutex_. Slots before `claimed_` are solving or solved;
    // a slot's text is not touched by the caller while it is solving.
    std::mutex mutex_;
    std::condition_variable workAdded_;
    std::condition_variable solved_;
    std::deque<Slot> slots_;
    size_t claimed_ = 0;
    bool quit_ = false;
    bool helping_ = false;              // a caller is solving with caller_
    std::atomic<bool> dropping_{false}; // Clear is waiting for the solves in progress
    std::vector<std::thread> threads_;
};

} // namespace kora

// Solves of independent model texts on worker threads, each worker with its
// own compiled model, form and solver, kept from one batch to the next. A
// batch solves while its caller does other work; its outcomes come back in
// the order of its texts, whatever thread solved them.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "model/model_text.h"
#include "run_driver.h"
#include "settings/settings.h"

namespace kora {

// The number of worker threads of `asked`: itself when positive, else one per core.
int SweepThreadCount(int asked);

struct SolveBatch {
    std::vector<TextLines> texts;
    std::vector<RunOutcome> outcomes; // one per text, in their order
};

class ParallelSolves {
public:
    // `settings` give the models their predefined names; a solve of more
    // than their "MaxRunValues" is declined (kCategoryDeclined), to be
    // asked about by the caller.
    ParallelSolves(int threads, const Settings& settings, RunConfiguration configuration);
    // Abandons a batch still solving.
    ~ParallelSolves();
    ParallelSolves(const ParallelSolves&) = delete;
    ParallelSolves& operator=(const ParallelSolves&) = delete;

    // Starts solving `texts`; `stop` is read between slices, and a stopped
    // solve comes back with the solver's stopped status. One batch at a time.
    void Start(std::vector<TextLines> texts, const std::atomic<bool>* stop);
    // The batch started last, once every text is solved.
    SolveBatch Wait();
    // Ends the batch started last after the solves in progress; its
    // outcomes are lost.
    void Abandon();

private:
    struct Worker;
    void Work(Worker& worker, const std::atomic<bool>* stop);
    void Join();

    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<std::thread> threads_;
    RunConfiguration configuration_;
    int64_t maxRunValues_;
    SolveBatch batch_;
    std::atomic<size_t> nextText_{0};
    std::atomic<bool> abandoned_{false};
};

} // namespace kora

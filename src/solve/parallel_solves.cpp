#include "parallel_solves.h"

#include <algorithm>

#include "model/run_size.h"
#include "model_settings.h"

namespace kora {

struct ParallelSolves::Worker {
    explicit Worker(const Settings& settings) : model(&form, &sink), driver(model, form, sink) {
        ApplyModelSettings(model, settings);
    }
    ErrorDisplay sink;
    KRMForm form;
    KRMparser model;
    RunDriver driver;
};

int SweepThreadCount(int asked) {
    if (asked > 0) return asked;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

ParallelSolves::ParallelSolves(int threads, const Settings& settings,
                               RunConfiguration configuration)
    : configuration_(configuration), maxRunValues_(settings.maxRunValues) {
    for (int i = 0; i < std::max(1, threads); ++i)
        workers_.push_back(std::make_unique<Worker>(settings));
}

ParallelSolves::~ParallelSolves() {
    Abandon();
}

void ParallelSolves::Start(std::vector<TextLines> texts, const std::atomic<bool>* stop) {
    Join();
    batch_.texts = std::move(texts);
    batch_.outcomes.assign(batch_.texts.size(), RunOutcome{});
    nextText_.store(0);
    abandoned_.store(false);
    const size_t used = std::min(workers_.size(), batch_.texts.size());
    for (size_t w = 0; w < used; ++w)
        threads_.emplace_back([this, w, stop] { Work(*workers_[w], stop); });
}

void ParallelSolves::Work(Worker& worker, const std::atomic<bool>* stop) {
    const RunApproval approve = [this](const KRMparser& model) {
        return ExpectedRunSize(model).values <= maxRunValues_;
    };
    RunDriver& driver = worker.driver;
    for (size_t i = nextText_++; i < batch_.texts.size() && !abandoned_.load(); i = nextText_++) {
        if (driver.Start(batch_.texts[i], configuration_, approve)) {
            do {
                while (!driver.SegmentFinished())
                    driver.Slice(stop != nullptr && stop->load(std::memory_order_relaxed));
            } while (driver.ContinueAfterEvent());
        }
        batch_.outcomes[i] = driver.Finish();
    }
}

void ParallelSolves::Join() {
    for (std::thread& thread : threads_)
        thread.join();
    threads_.clear();
}

SolveBatch ParallelSolves::Wait() {
    Join();
    return std::move(batch_);
}

void ParallelSolves::Abandon() {
    abandoned_.store(true);
    Join();
    batch_ = SolveBatch{};
}

} // namespace kora

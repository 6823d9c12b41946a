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
    // Outcomes this worker made and the caller has copied. They are freed on
    // this worker's thread: a thread that frees what another allocated
    // takes that thread's allocator lock, and in a sweep of short solves the
    // two threads then waited on each other several times a millisecond.
    std::vector<RunOutcome> spent;   // guarded by mutex_
    std::vector<RunOutcome> freeing; // this worker's thread only
};

int SweepThreadCount(int asked) {
    if (asked > 0) return asked;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

ParallelSolves::ParallelSolves(int threads, const Settings& settings,
                               RunConfiguration configuration, const std::atomic<bool>* stop)
    : configuration_(configuration), maxRunValues_(settings.maxRunValues), stop_(stop) {
    caller_ = std::make_unique<Worker>(settings);
    for (int i = 0; i < std::max(1, threads - 1); ++i)
        workers_.push_back(std::make_unique<Worker>(settings));
    for (const std::unique_ptr<Worker>& worker : workers_)
        threads_.emplace_back([this, &worker] { Work(*worker); });
}

ParallelSolves::~ParallelSolves() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    workAdded_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void ParallelSolves::Add(TextLines text) {
    {
        const std::lock_guard lock(mutex_);
        slots_.push_back(Slot{std::move(text), RunOutcome{}, false});
    }
    ++waiting_;
    workAdded_.notify_one();
}

RunOutcome ParallelSolves::Take(TextLines& text) {
    std::unique_lock lock(mutex_);
    HelpUntilNextSolved(lock);
    Slot slot = std::move(slots_.front());
    slots_.pop_front();
    --claimed_;
    --waiting_;
    lock.unlock();
    text = std::move(slot.text);
    return Handover(slot);
}

RunOutcome ParallelSolves::Handover(Slot& slot) {
    if (slot.solver == caller_.get()) return std::move(slot.outcome);
    RunOutcome copy = slot.outcome;
    const std::lock_guard lock(mutex_);
    slot.solver->spent.push_back(std::move(slot.outcome));
    return copy;
}

bool ParallelSolves::NextSolved() {
    const std::lock_guard lock(mutex_);
    return slots_.front().done;
}

void ParallelSolves::WaitForNext() {
    std::unique_lock lock(mutex_);
    HelpUntilNextSolved(lock);
}

void ParallelSolves::HelpUntilNextSolved(std::unique_lock<std::mutex>& lock) {
    // A Clear from another thread may empty the queue meanwhile.
    while (!slots_.empty() && !slots_.front().done) {
        if (helping_ || claimed_ >= slots_.size() || dropping_.load()) {
            solved_.wait(lock);
            continue;
        }
        helping_ = true;
        Slot& slot = slots_[claimed_++];
        lock.unlock();
        RunOutcome outcome = Solve(*caller_, slot.text);
        lock.lock();
        slot.outcome = std::move(outcome);
        slot.done = true;
        slot.solver = caller_.get();
        helping_ = false;
        solved_.notify_all();
    }
}

void ParallelSolves::Clear() {
    std::unique_lock lock(mutex_);
    slots_.resize(claimed_); // the unclaimed ones go at once
    // Their outcomes are dropped: the caller (possibly the main thread) need
    // not wait for the rest of their solves.
    dropping_.store(true);
    solved_.wait(lock, [this] {
        return std::all_of(slots_.begin(), slots_.end(), [](const Slot& s) { return s.done; });
    });
    dropping_.store(false);
    slots_.clear();
    claimed_ = 0;
    waiting_ = 0;
}

bool ParallelSolves::Stopping() const {
    return (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) || dropping_.load();
}

RunOutcome ParallelSolves::Solve(Worker& worker, const TextLines& text) {
    const RunApproval approve = [this](const KRMparser& model) {
        return ExpectedRunSize(model).values <= maxRunValues_;
    };
    RunDriver& driver = worker.driver;
    if (driver.Start(text, configuration_, approve)) {
        do {
            while (!driver.SegmentFinished())
                driver.Slice(Stopping());
        } while (driver.ContinueAfterEvent());
    }
    return driver.Finish();
}

void ParallelSolves::Work(Worker& worker) {
    std::unique_lock lock(mutex_);
    for (;;) {
        workAdded_.wait(lock, [this] { return quit_ || claimed_ < slots_.size(); });
        if (quit_) return;
        // Slots before this one may be taken meanwhile, but a claimed slot
        // stays where it is in the deque until it is done.
        Slot& slot = slots_[claimed_++];
        worker.freeing.swap(worker.spent);
        lock.unlock();
        worker.freeing.clear(); // keeps its capacity, so no vector moves between threads
        RunOutcome outcome = Solve(worker, slot.text);
        lock.lock();
        slot.outcome = std::move(outcome);
        slot.done = true;
        slot.solver = &worker;
        solved_.notify_all();
    }
}

} // namespace kora

#include "main_thread_queue.h"

#include <cassert>
#include <exception>

namespace kora {

MainThreadQueue::MainThreadQueue(FailureReport onFailure)
    : mainThread_(std::this_thread::get_id()), onFailure_(std::move(onFailure)) {}

void MainThreadQueue::RunGuarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& failure) {
        if (onFailure_) onFailure_(failure.what());
    } catch (...) {
        if (onFailure_) onFailure_("unknown failure");
    }
}

void MainThreadQueue::Post(std::function<void()> work) {
    if (OnMainThread()) {
        RunGuarded(work);
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        items_.push_back(std::move(work));
    }
    posted_.notify_one();
}

int MainThreadQueue::RunPending(std::chrono::milliseconds timeout) {
    assert(OnMainThread());
    std::unique_lock lock(mutex_);
    if (!posted_.wait_for(lock, timeout, [this] { return !items_.empty(); })) return 0;
    int ran = 0;
    while (!items_.empty()) {
        std::function<void()> work = std::move(items_.front());
        items_.pop_front();
        lock.unlock();
        RunGuarded(work);
        lock.lock();
        ++ran;
    }
    return ran;
}

void MainThreadQueue::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds poll,
                               const std::function<void()>& idle) {
    while (!done()) {
        RunPending(poll);
        if (idle) idle();
    }
}

} // namespace kora

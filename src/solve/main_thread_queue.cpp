#include "main_thread_queue.h"

#include <cassert>

namespace kora {

MainThreadQueue::MainThreadQueue() : mainThread_(std::this_thread::get_id()) {}

void MainThreadQueue::RunOnMainThread(const std::function<void()>& work) {
    if (OnMainThread()) {
        work();
        return;
    }
    Item item{&work};
    std::unique_lock lock(mutex_);
    items_.push_back(&item);
    posted_.notify_one();
    finished_.wait(lock, [&item] { return item.done; });
}

int MainThreadQueue::RunPending(std::chrono::milliseconds timeout) {
    assert(OnMainThread());
    std::unique_lock lock(mutex_);
    if (!posted_.wait_for(lock, timeout, [this] { return !items_.empty(); })) return 0;
    int ran = 0;
    while (!items_.empty()) {
        Item* item = items_.front();
        items_.pop_front();
        lock.unlock();
        // The poster waits, so its work may touch anything the main thread owns.
        (*item->work)();
        lock.lock();
        item->done = true;
        finished_.notify_all();
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

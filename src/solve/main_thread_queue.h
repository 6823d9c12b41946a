// The main-thread dispatcher of a front end without a toolkit: workers post
// work and wait for it; the main thread runs the posted work in order between
// its own checks (a stop key, the end of a script).
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kora {

class MainThreadQueue {
public:
    // The constructing thread is the main thread.
    MainThreadQueue();

    // Runs `work` on the main thread and returns when it has run. Called on
    // the main thread itself it runs at once, so it can never wait for itself.
    void RunOnMainThread(const std::function<void()>& work);

    // On the main thread: runs every posted item, waiting up to `timeout` for
    // the first one. Returns how many ran.
    int RunPending(std::chrono::milliseconds timeout);

    // On the main thread: runs posted work until `done` holds (checked after
    // each item and at least every `poll`), calling `idle` between waits.
    void RunUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds poll = std::chrono::milliseconds(50),
                  const std::function<void()>& idle = nullptr);

    bool OnMainThread() const { return std::this_thread::get_id() == mainThread_; }

private:
    struct Item {
        const std::function<void()>* work;
        bool done = false;
    };

    std::thread::id mainThread_;
    std::mutex mutex_;
    std::condition_variable posted_;
    std::condition_variable finished_;
    std::deque<Item*> items_;
};

} // namespace kora

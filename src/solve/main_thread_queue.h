// The main-thread dispatcher of a front end without a toolkit: workers post
// work; the main thread runs the posted work in order between its own checks
// (a stop key, the end of a script).
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace kora {

class MainThreadQueue {
public:
    using FailureReport = std::function<void(const std::string& what)>;

    // The constructing thread is the main thread. Posted work that throws is
    // reported through `onFailure` and the queue goes on.
    explicit MainThreadQueue(FailureReport onFailure = nullptr);

    // Queues `work`; on the main thread itself it runs at once.
    void Post(std::function<void()> work);

    // On the main thread: runs every posted item, waiting up to `timeout` for
    // the first one. Returns how many ran.
    int RunPending(std::chrono::milliseconds timeout);

    // On the main thread: runs posted work until `done` holds (checked after
    // each batch and at least every `poll`), calling `idle` between waits.
    void RunUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds poll = std::chrono::milliseconds(50),
                  const std::function<void()>& idle = nullptr);

    bool OnMainThread() const { return std::this_thread::get_id() == mainThread_; }

private:
    void RunGuarded(const std::function<void()>& work);

    std::thread::id mainThread_;
    FailureReport onFailure_;
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> items_;
};

} // namespace kora

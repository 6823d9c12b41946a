// An event that releases exactly one wait per signal and then resets itself.
// A signal with nobody waiting is kept until the next wait.
#pragma once

#include <condition_variable>
#include <mutex>

namespace kora {

class AutoResetEvent {
public:
    void Set();
    void Reset();
    // Waits without a time limit.
    void Wait();

private:
    std::mutex mutex_;
    std::condition_variable signalled_;
    bool set_ = false;
};

} // namespace kora

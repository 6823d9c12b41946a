#include "auto_reset_event.h"

namespace kora {

void AutoResetEvent::Set() {
    {
        const std::lock_guard lock(mutex_);
        set_ = true;
    }
    signalled_.notify_one();
}

void AutoResetEvent::Reset() {
    const std::lock_guard lock(mutex_);
    set_ = false;
}

void AutoResetEvent::Wait() {
    std::unique_lock lock(mutex_);
    signalled_.wait(lock, [this] { return set_; });
    set_ = false;
}

} // namespace kora

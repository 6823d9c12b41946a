// The script thread of a running document: it wakes once per command and has
// the main thread execute it; at the end it has the main thread finish. A
// parallel loop's solve that is not done yet is waited for here.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

#include "auto_reset_event.h"

namespace kora {

class SystemDocument;

class TScriptThread {
public:
    // Starts the thread; it waits for `event` before the first command.
    TScriptThread(SystemDocument& document, AutoResetEvent& event, std::mutex& lock);
    // Joins: the thread must have ended (it ends after ScriptDone).
    ~TScriptThread();
    TScriptThread(const TScriptThread&) = delete;
    TScriptThread& operator=(const TScriptThread&) = delete;

    // The thread leaves its loop at its next wake-up.
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }

private:
    void Execute();

    SystemDocument& document_;
    AutoResetEvent& event_;
    std::mutex& lock_;
    std::atomic<bool> terminated_{false};
    std::thread thread_;
};

} // namespace kora

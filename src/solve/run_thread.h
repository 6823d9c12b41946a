// The solver thread of a running document: one solver slice per wake-up,
// progress and the end of a solve handed to the main thread; between solves
// it also computes the document's steady states.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

#include "auto_reset_event.h"

namespace kora {

class RunDriver;
class SystemDocument;
struct SolveRequest;

// The thread holds a reference to the document's run driver. Invariant: it
// touches the driver only under the run lock and only while not terminated;
// the document terminates it before it deletes the driver under that lock
// (SystemDocument::DeleteSolvers asserts the order), so once the script has
// finished with a driver this thread never uses it again.
class TRunThread {
public:
    // Starts the thread; it waits for `event` before its first slice.
    TRunThread(RunDriver& solver, SystemDocument& document, std::mutex& lock,
               AutoResetEvent& event);
    // Joins: the thread must have been terminated and its event signalled.
    ~TRunThread();
    TRunThread(const TRunThread&) = delete;
    TRunThread& operator=(const TRunThread&) = delete;

    // The thread leaves its loop at its next wake-up.
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }

private:
    void Execute();
    // False when the document is going and the thread must leave.
    bool StartSolve(const SolveRequest& request);

    RunDriver& solver_;
    SystemDocument& document_;
    std::mutex& lock_;
    AutoResetEvent& event_;
    std::atomic<bool> terminated_{false};
    std::thread thread_;
};

} // namespace kora

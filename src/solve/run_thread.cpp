#include "run_thread.h"

#include <exception>
#include <optional>
#include <string>

#include "base/winintegrator.h"
#include "run_driver.h"
#include "system_document.h"

namespace kora {

TRunThread::TRunThread(RunDriver& solver, SystemDocument& document, std::mutex& lock,
                       AutoResetEvent& event)
    : solver_(solver), document_(document), lock_(lock), event_(event),
      thread_([this] { Execute(); }) {}

TRunThread::~TRunThread() {
    if (thread_.joinable()) thread_.join();
}

// The build and the first slice happen here, under the run lock like every
// slice; only the question about a large run goes to the main thread.
bool TRunThread::StartSolve(const SolveRequest& request) {
    bool started = false;
    std::string failure;
    // Nothing may escape this thread; a failure ends the script as a failed
    // command does.
    try {
        bool built = false;
        {
            const std::lock_guard lock(lock_);
            if (terminated_.load()) return false;
            built = solver_.Build(request.modelLines, request.configuration);
        }
        bool approved = false;
        if (built && !document_.CallOnMainThread([this, &approved] {
                approved = document_.ApproveRunSize(solver_.model());
            }))
            return false;
        if (built) {
            const std::lock_guard lock(lock_);
            if (terminated_.load()) return false;
            if (approved)
                started = solver_.Begin();
            else
                solver_.Decline();
        }
    } catch (const std::exception& escaped) {
        failure = escaped.what();
    } catch (...) {
        failure = "unknown failure";
    }
    return document_.CallOnMainThread(
        [this, started, &failure] { document_.SolveStarted(started, failure); });
}

void TRunThread::Execute() {
    for (;;) {
        event_.Wait();
        if (terminated_.load()) return;
        // A steady state runs whole on this thread, without the run lock, so
        // that IsRunning never waits for it.
        if (std::optional<SteadyStateRequest> request = document_.TakeSteadyStateRequest()) {
            if (!document_.ComputeSteadyState(*request)) return;
            continue;
        }
        if (std::optional<SolveRequest> request = document_.TakeSolveRequest()) {
            if (!StartSolve(*request)) return;
            continue;
        }
        bool showProgress = false;
        bool finished = false;
        {
            const std::lock_guard lock(lock_);
            // The driver may already be gone when the script ended meanwhile:
            // it is deleted only after Terminate, under this same lock.
            if (terminated_.load()) return;
            winintegrator* solver = solver_.solver();
            if (solver == nullptr) continue;
            if (!solver_.SegmentFinished()) {
                // The flag is taken only when it can act; otherwise it stays
                // for the script thread, which then ends the script.
                const bool stop = solver->state == kSolverStepping && document_.TakeStopRequest();
                solver_.Slice(stop);
            }
            showProgress = TakeProgressDue(*solver);
            finished = solver_.SegmentFinished();
        }
        // The synchronised calls happen without the lock, so that IsRunning on
        // the main thread can never wait for a call that waits for it.
        // A refused call means the document is going: leave at once.
        if (showProgress && !document_.CallOnMainThread([this] { document_.UpdateProgress(); }))
            return;
        if (!finished)
            event_.Set();
        else if (!document_.CallOnMainThread([this] { document_.FinishRun(); }))
            return;
    }
}

} // namespace kora

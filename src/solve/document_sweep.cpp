// The unwatched way of a document's script (kora-batch): commands in a row
// on the main thread and solves without the run thread; and on both ways
// parallel loops solved ahead on worker threads. What the script observes is
// the same as on the serial watched way: the execution of every command
// stays serial and in order, only the solving moves.
#include "base/winintegrator.h"
#include "parallel_solves.h"
#include "script/parallel_loops.h"
#include "script/script_execution.h"
#include "script_thread.h"
#include "sweep_plan.h"
#include "system_document.h"

namespace kora {

namespace {

// The longest a row of commands holds the main thread before the script
// thread takes its turn. A Stop is seen between the commands of a row and
// the solves show their own progress, so a long row loses nothing, while a
// turn costs more than it seems: the script thread is woken on the core it
// last ran on, where a worker of a sweep is busy, and waits there for up to
// a scheduler tick while the main thread's core idles.
constexpr int64_t kCommandRowMs = 500;
// The same in a watched run: the window draws between rows, often right
// after a row, and a drawing of many curves takes tens of milliseconds.
constexpr int64_t kWatchedRowMs = 5;
// Solves worked out ahead per worker thread: enough to keep the workers
// busy, little enough to keep the outcomes waiting small.
constexpr size_t kSolvesPerThread = 64;

} // namespace

void SystemDocument::ContinueScript() {
    if (batching_)
        continued_ = true;
    else
        scriptEvent_.Set();
}

void SystemDocument::ExecuteCommands() {
    // Watched, a parallel loop's commands run in rows too: a solve done
    // ahead is only stored, and the window draws between rows.
    if (!unwatched_ && !sweep_) {
        ExecuteNext(*this);
        return;
    }
    const int64_t start = TickCountMs();
    const int64_t rowMs = unwatched_ ? kCommandRowMs : kWatchedRowMs;
    for (;;) {
        continued_ = false;
        batching_ = true;
        ExecuteNext(*this);
        batching_ = false;
        if (!continued_) return; // the command signals the script itself later
        const bool ending = scriptThread_ == nullptr || scriptThread_->Terminated();
        if (ending || stopRequested_.load() || TickCountMs() - start > rowMs) {
            scriptEvent_.Set();
            return;
        }
    }
}

// The whole solve within this call, with the run thread's slices, stop
// requests and progress.
void SystemDocument::SolveHere() {
    if (!StartSolve()) return;
    do {
        while (!driver_->SegmentFinished()) {
            winintegrator& solver = *driver_->solver();
            const bool stop = solver.state == kSolverStepping && TakeStopRequest();
            driver_->Slice(stop);
            if (TakeProgressDue(solver)) UpdateProgress();
        }
    } while (FinishSegment());
}

SystemDocument::SweepStep SystemDocument::SolveFromSweep(bool watched) {
    const int threads = SweepThreadCount(runSettings_.sweepThreads);
    if (threads < 2 || state_.counter == 0) return SweepStep::Serial;
    const size_t command = state_.counter - 1;
    if (!sweep_ || !sweep_->Contains(command)) {
        sweep_.reset();
        const std::optional<size_t> loop =
            ParallelLoopAround(state_.prepared, command, serialLoops_);
        if (!loop) return SweepStep::Serial;
        if (!parallel_)
            parallel_ = std::make_unique<ParallelSolves>(threads, runSettings_, Configuration(),
                                                         &stopRequested_);
        SweepWalk walk(state_, *loop, [this] { return view_.EditorLines(); });
        sweep_ = std::make_unique<SweepPlan>(std::move(walk), *parallel_,
                                             kSolvesPerThread * static_cast<size_t>(threads));
    }
    RunOutcome outcome;
    const SweepPlan::Take taken = sweep_->Next(model_, state_.modelLines, outcome, !watched);
    if (taken == SweepPlan::Take::Pending) return SweepStep::Pending;
    // Watched, no pass is stored after a stop; the workers' solves stopped too.
    if (watched && stopRequested_.load()) {
        sweep_.reset();
        return SweepStep::Stopped;
    }
    if (taken == SweepPlan::Take::Mismatch) serialLoops_.insert(sweep_->loop());
    // A failed, declined or stopped solve is repeated serially, so that its
    // report, question or stop comes as it would have.
    if (taken != SweepPlan::Take::Ready || !outcome.Succeeded() ||
        outcome.statistics.status != kStatusComplete) {
        sweep_.reset();
        return SweepStep::Serial;
    }
    StoreSweepOutcome(outcome);
    return SweepStep::Stored;
}

// Ends the script before the solve, as a stop between commands does.
void SystemDocument::StopSweep() {
    SetStatus("");
    NoteStoppedBetweenCommands();
    FailCommand();
}

void SystemDocument::WaitForSweep() {
    sweep_->WaitForNext();
}

void SystemDocument::ResumeSweep() {
    sweepPending_.store(false);
    Solve();
}

// What a finished solve shows and stores, for a solve done ahead.
void SystemDocument::StoreSweepOutcome(RunOutcome& outcome) {
    ProgressSnapshot progress;
    progress.method = methodLabel_;
    view_.ShowProgress(progress);
    SetStatus("SOLVING");
    SetStatus("");
    progress.phase = ProgressSnapshot::Phase::Final;
    progress.steps = outcome.statistics.steps;
    progress.order = outcome.statistics.order;
    progress.stepSize = outcome.statistics.stepSize;
    progress.elapsedMs = outcome.statistics.elapsedMs;
    progress.percent = 100;
    view_.ShowProgress(progress);
    ++record_.solvesAhead;
    StoreSolution(outcome);
    ContinueScript();
}

} // namespace kora

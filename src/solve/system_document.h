// The run logic of a document window, free of any toolkit: the Run, Steady
// state and Stop commands, the results, and the script and solver threads
// behind them. The desktop window owns one through the workspace; kora-batch
// owns one per open file. Everything here runs on the main thread except
// StopMenuClick and IsRunning, which any thread may call, and the model
// build, the first slice of a solve and the steady state's build and
// computation, which the solver thread does, and the wait for a parallel
// loop's workers, which the script thread does.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "auto_reset_event.h"
#include "main_thread_gate.h"
#include "model/krm_parser.h"
#include "results/results_file.h"
#include "results/results_set.h"
#include "run_driver.h"
#include "script/script_document.h"
#include "settings/settings.h"
#include "steady_state_run.h"
#include "window_error_display.h"

namespace kora {

class AppHost;
class DocumentHost;
class KRMForm_ss;
class ParallelSolves;
class SweepPlan;
class TRunThread;
class TScriptThread;

// A solve handed from the script command to the solver thread.
struct SolveRequest {
    TextLines modelLines;
    RunConfiguration configuration;
};

// How the last script ended, for a caller that needs more than the dialogs.
struct ScriptRecord {
    bool rejected = false; // the script check failed; nothing ran
    bool wrote = false;    // the script has a write command
    bool stoppedBetweenCommands = false;
    int32_t failureCategory = 0;  // of the failure that ended the script; 0 if none
    int32_t failureCode = 0;      // model code or solver status
    bool commandProblem = false;  // a command failed unexpectedly
    bool runDeclined = false;     // a solve too large was not approved
    RunStatistics lastStatistics; // of the last finished solve
    int solves = 0;
    int solvesAhead = 0; // of them, solved ahead by a parallel loop's workers
};

// Called on the main thread when a results file was read or written.
using ResultsFileDone = std::function<void(const ResultsFileResult& outcome)>;

class SystemDocument final : public ScriptDocument {
public:
    SystemDocument(DocumentHost& view, AppHost& app, const Settings& settings,
                   std::string fileName = {});
    // May come at any moment, also while a script runs: the threads are
    // stopped and joined without the main thread running anything more.
    ~SystemDocument() override;
    SystemDocument(const SystemDocument&) = delete;
    SystemDocument& operator=(const SystemDocument&) = delete;

    void AnalysisRunClick();
    void AnalysisSSClick();
    void StopMenuClick();
    bool IsRunning();
    // Run or Steady state is starting: its boxes (script errors, Save As)
    // may be open, and the document must not be closed under them.
    bool IsStarting() const { return starting_ > 0; }

    // New settings; a run uses the settings it started with.
    void SettingsChanged(const Settings& settings);

    const std::string& fileName() const { return state_.fileName; }
    void SetFileName(std::string fileName) { state_.fileName = std::move(fileName); }
    ResultsSet& results() { return results_; }
    const ResultsSet& results() const { return results_; }
    // After results were loaded into results() from a file.
    void MarkHasResults() { hasResults_ = !results_.timeCourses.empty(); }
    // A ".res" file opened as a document: its own file is its results file.
    void MarkResultsDocument() { resultsDocument_ = true; }
    bool IsResultsDocument() const { return resultsDocument_; }
    // The results file the document shows: its own for a results document,
    // else the one its results were read from or saved to; "" when none.
    std::string ResultsFileName() const;
    // Results files on a worker thread, the document running meanwhile (and
    // shown so when no script runs). Reading replaces the results when it
    // succeeds; writing is SaveResults's, for the menu's commands too.
    void ReadResultsInBackground(const std::string& fileName, char decimalSeparator,
                                 ResultsFileDone done);
    void SaveResultsInBackground(const std::string& fileName, ResultsFileDone done);
    // Re-reads the results after another document saved `savedName`, when
    // that is this document's results file and they hold no unsaved change.
    bool RefreshResultsFrom(const std::string& savedName, char decimalSeparator);
    bool HasUnsavedResults() const { return hasResults_ && results_.modified; }
    // Where the last model error shown stands in the editor's lines; {0, 0}
    // when unknown.
    const TextPlace& modelErrorPlace() const { return errorSink_.lastPlace; }
    // Assignments applied to the model lines before every script starts.
    void SetStartAssignments(std::vector<std::string> assignments) {
        startAssignments_ = std::move(assignments);
    }
    const ScriptRecord& scriptRecord() const { return record_; }
    // Runs whose progress nobody watches (kora-batch): a script's commands
    // and solves run within one call on the main thread instead of handing
    // over between threads for each. Either way parallel SETTING loops
    // solve on the "SweepThreads" of the run's settings; watched, the main
    // thread never waits for them. Set before Run.
    void SetUnwatchedRuns(bool unwatched) { unwatched_ = unwatched; }
    // The model lines of the current script, with its assignments applied;
    // empty between scripts.
    const TextLines& modelLines() const { return state_.modelLines; }

    // ScriptDocument: the results commands. A script starts without results,
    // but the document keeps the previous ones until its first rows come.
    bool HasResults() const override { return hasResults_ && !keptUntilRows_; }
    const TimeCourse* LastTimeCourse() const override;
    bool MergeResults(const std::string& fileName) override;
    bool SaveResults(const std::string& fileName, std::string& reason) override;
    void SaveResultsAndContinue(const std::string& fileName,
                                std::function<void(const std::string& reason)> failed) override;
    void ClearResults() override;

private:
    friend class TRunThread;
    friend class TScriptThread;

    // ScriptDocument: what the script execution drives.
    DocumentHost& host() override { return view_; }
    AppHost& app() override { return app_; }
    ScriptRunState& scriptState() override { return state_; }
    KRMparser& model() override { return model_; }
    void Solve() override;
    void SteadyState() override;
    void Fit(const std::string& arguments) override;
    void ContinueScript() override;
    void EndScript() override;

    // The workers' side.
    bool CallOnMainThread(std::function<void()> work) { return gate_.Call(std::move(work)); }
    bool TakeStopRequest() { return stopRequested_.exchange(false); }
    void NoteStoppedBetweenCommands() { stoppedBetweenCommands_.store(true); }
    void UpdateProgress();
    // The solver thread's start of a solve: its request, then the outcome of
    // the build and first slice (`failure`: what escaped them).
    std::optional<SolveRequest> TakeSolveRequest();
    void SolveStarted(bool started, const std::string& failure);
    void FinishRun();
    // True when the solve goes on with another segment.
    bool FinishSegment();
    // The script thread's call: the next command, or in unwatched runs and
    // parallel loops as many as follow at once within a short time
    // (document_sweep).
    void ExecuteCommands();
    void SolveHere();
    void SolveOnRunThread();
    // A solve's outcome from the parallel loop around it. `watched`: the
    // main thread never waits for a worker (Pending instead), and a stop
    // ends the loop before its next solve.
    enum class SweepStep { Stored, Pending, Serial, Stopped };
    SweepStep SolveFromSweep(bool watched);
    void StoreSweepOutcome(RunOutcome& outcome);
    void StopSweep();
    // The script thread's side of a Pending solve: it waits for the workers,
    // then has the main thread take the outcome.
    bool SweepPending() const { return sweepPending_.load(); }
    void WaitForSweep();
    void ResumeSweep();
    void ScriptDone();
    // The solver thread's part of a steady state (document_steady_state).
    std::optional<SteadyStateRequest> TakeSteadyStateRequest();
    // False when the document is going and the thread must leave.
    bool ComputeSteadyState(const SteadyStateRequest& request);
    void FinishSteadyState(const SteadyStateRun& run);

    bool StartScript();
    void PrepareRun();
    void StartWorkers();
    void StopWorkers();
    void DeleteSolvers();
    void SetStatus(const std::string& text);
    void StartFileJob(std::function<void()> work, std::function<void()> done);
    void SplitEditorText();
    void ReportFailure(const RunOutcome& outcome);
    void StoreSolution(RunOutcome& outcome);
    void FailCommand();
    bool StartSolve();
    void ReportStartFailure();
    bool ApproveRunSize(const KRMparser& model);
    RunConfiguration Configuration() const;

    DocumentHost& view_;
    AppHost& app_;
    Settings settings_;    // the latest settings
    Settings runSettings_; // the settings of the current (or last) run
    KRMForm form_;
    WindowErrorDisplay errorSink_;
    KRMparser model_;
    std::unique_ptr<KRMForm_ss> steadyState_;
    ResultsSet results_;
    bool hasResults_ = false;
    bool resultsDocument_ = false;
    bool keptUntilRows_ = false; // results of before the script, still shown

    ScriptRunState state_;
    std::vector<std::string> startAssignments_;
    ScriptRecord record_;
    std::string methodLabel_;
    bool runningShown_ = false; // SetRunning(true) was called and not yet undone
    int starting_ = 0;          // AnalysisRunClick calls in progress

    // The solver of a run; null while the document is idle. Guarded by runLock_.
    std::unique_ptr<RunDriver> driver_;
    // Whether driver_ is set, for IsRunning without the lock, which the
    // solver thread holds while it builds a model.
    std::atomic<bool> hasDriver_{false};
    bool solveActive_ = false; // a solve is between Solve and its finish
    bool unwatched_ = false;
    bool batching_ = false;  // ExecuteCommands is executing commands in a row
    bool continued_ = false; // ContinueScript came while batching
    std::unique_ptr<ParallelSolves> parallel_;
    std::unique_ptr<SweepPlan> sweep_;
    std::set<size_t> serialLoops_;          // loops whose lines a plan got wrong
    std::atomic<bool> sweepPending_{false}; // a watched solve waits for the workers
    // Handed from the script command to the solver thread; guarded by runLock_.
    std::optional<SteadyStateRequest> steadyStateRequest_;
    std::optional<SolveRequest> solveRequest_;
    std::mutex runLock_;
    std::mutex scriptLock_;
    AutoResetEvent runEvent_;
    AutoResetEvent scriptEvent_;
    // One byte in the original design; atomic here because the two workers
    // take it under different locks.
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> stoppedBetweenCommands_{false};
    // The threads are being ended: a steady state in progress is abandoned.
    std::atomic<bool> workersEnding_{false};
    MainThreadGate gate_;
    std::unique_ptr<TScriptThread> scriptThread_;
    std::unique_ptr<TRunThread> runThread_;
    // Reads or writes a results file; joined before the next job and at the end.
    std::thread fileThread_;
    std::atomic<bool> fileJob_{false};
};

} // namespace kora

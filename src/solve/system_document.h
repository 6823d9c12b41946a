// The run logic of a document window, free of any toolkit: Run and Steady
// state commands, the solve and finish steps, the script and solver threads
// and Stop. The desktop window owns one; kora-batch owns one per open file.
// Everything here runs on the main thread except TakeStopRequest,
// StopMenuClick and IsRunning, which any thread may call.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "auto_reset_event.h"
#include "model/krm_parser.h"
#include "results/results_set.h"
#include "run_driver.h"
#include "script/script_document.h"
#include "settings/settings.h"
#include "window_error_display.h"

namespace kora {

class KRMForm_ss;
class TRunThread;
class TScriptThread;

// How the last script ended, for a caller that needs more than the dialogs.
struct ScriptRecord {
    bool rejected = false; // the script check failed; nothing ran
    bool wrote = false;    // the script has a write command
    bool stoppedBetweenCommands = false;
    int32_t failureCategory = 0;  // of the failure that ended the script; 0 if none
    int32_t failureCode = 0;      // model code or solver status
    bool commandProblem = false;  // a command failed unexpectedly
    RunStatistics lastStatistics; // of the last finished solve
    int solves = 0;
};

class SystemDocument final : public ScriptDocument {
public:
    SystemDocument(Host& host, const Settings& settings, std::string fileName = {});
    // The document must be idle: a running script needs the main thread to end.
    ~SystemDocument() override;
    SystemDocument(const SystemDocument&) = delete;
    SystemDocument& operator=(const SystemDocument&) = delete;

    void AnalysisRunClick();
    void AnalysisSSClick();
    void StopMenuClick();
    bool IsRunning();

    void PrepareRun();
    void Solve() override;
    void SteadyState() override;
    void UpdateProgress();
    void FinishRun();
    void ScriptDone();
    void DeleteSolvers();
    void SetStatus(const std::string& text);

    // ScriptDocument.
    Host& host() override { return host_; }
    ScriptRunState& scriptState() override { return state_; }
    KRMparser& model() override { return model_; }
    void ContinueScript() override { scriptEvent_.Set(); }
    void EndScript() override;
    bool HasResults() const override { return hasResults_; }
    const TimeCourse* LastTimeCourse() const override;
    bool MergeResults(const std::string& fileName) override;
    bool SaveResults(const std::string& fileName, std::string& reason) override;
    void ClearResults() override;

    // The worker threads' side of the stop flag.
    bool TakeStopRequest() { return stopRequested_.exchange(false); }
    void NoteStoppedBetweenCommands() { stoppedBetweenCommands_.store(true); }

    const std::string& fileName() const { return state_.fileName; }
    ResultsSet& results() { return results_; }
    void MarkHasResults() { hasResults_ = !results_.timeCourses.empty(); }
    bool HasUnsavedResults() const { return hasResults_ && results_.modified; }
    // Assignments applied to the model lines before every script starts.
    void SetStartAssignments(std::vector<std::string> assignments) {
        startAssignments_ = std::move(assignments);
    }
    const ScriptRecord& scriptRecord() const { return record_; }

private:
    void SplitEditorText();
    void ReportFailure(const RunOutcome& outcome);
    void StoreSolution(RunOutcome& outcome);
    RunConfiguration Configuration() const;
    void JoinWorkers();

    Host& host_;
    const Settings& settings_;
    KRMForm form_;
    WindowErrorDisplay errorSink_;
    KRMparser model_;
    std::unique_ptr<KRMForm_ss> steadyState_;
    ResultsSet results_;
    bool hasResults_ = false;

    ScriptRunState state_;
    std::vector<std::string> startAssignments_;
    ScriptRecord record_;
    std::string methodLabel_;

    // The solver of a run; null while the document is idle. Guarded by runLock_.
    std::unique_ptr<RunDriver> driver_;
    bool solveActive_ = false; // a solve is between Solve and its finish
    std::unique_ptr<TScriptThread> scriptThread_;
    std::unique_ptr<TRunThread> runThread_;
    std::mutex runLock_;
    std::mutex scriptLock_;
    AutoResetEvent runEvent_;
    AutoResetEvent scriptEvent_;
    // One byte in the original design; atomic here because the two workers
    // take it under different locks.
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> stoppedBetweenCommands_{false};
};

} // namespace kora

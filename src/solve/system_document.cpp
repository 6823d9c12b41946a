#include "system_document.h"

#include <cassert>
#include <exception>

#include "base/app_host.h"
#include "base/document_host.h"
#include "common/file_names.h"
#include "common/text_trim.h"
#include "model/model_place.h"
#include "model/model_text.h"
#include "model/run_size.h"
#include "model_settings.h"
#include "model_warnings.h"
#include "numeric/krmform_ss.h"
#include "results/atomic_file.h"
#include "results/plot_ranges.h"
#include "results/results_file.h"
#include "results/results_save.h"
#include "run_thread.h"
#include "script/script_execution.h"
#include "script_fit.h"
#include "script_thread.h"
#include "steady_state_run.h"
#include "sweep_plan.h"

namespace kora {

namespace {

constexpr int64_t kBeepAfterMs = 5000;

} // namespace

SystemDocument::SystemDocument(DocumentHost& view, AppHost& app, const Settings& settings,
                               std::string fileName)
    : view_(view), app_(app), settings_(settings), runSettings_(settings), errorSink_(view),
      model_(&form_, &errorSink_), steadyState_(std::make_unique<KRMForm_ss>(form_, model_)),
      gate_(app) {
    state_.fileName = std::move(fileName);
    results_.precision = settings.filePrec;
    ApplyModelSettings(model_, settings);
    errorSink_.owner = this;
    errorSink_.locate = [this](const std::string& statement, int32_t& offset, int32_t& length) {
        std::string text = statement;
        return model_.Locate(state_.modelLines, text, offset, length, false);
    };
    errorSink_.modelMessage = [this](const ErrorDisplay& error) {
        return ModelErrorMessage(model_, error);
    };
    errorSink_.place = [this](const ErrorDisplay& error, int32_t offset) {
        return PlaceOfModelError(model_, error, view_.EditorLines(), state_.modelLines, offset);
    };
    steadyState_->stopRequested = [this] { return stopRequested_.load() || workersEnding_.load(); };
}

SystemDocument::~SystemDocument() {
    // Workers waiting for the main thread are released first; then each
    // leaves its loop at once. The stop ends a parallel loop's solves, which
    // the script thread may be waiting for.
    gate_.Close();
    stopRequested_.store(true);
    StopWorkers();
    // Before the stop flag they read goes with the other members.
    sweep_.reset();
    parallel_.reset();
    if (fileThread_.joinable()) fileThread_.join();
}

void SystemDocument::StopWorkers() {
    workersEnding_.store(true);
    if (runThread_) runThread_->Terminate();
    if (scriptThread_) scriptThread_->Terminate();
    runEvent_.Set();
    scriptEvent_.Set();
    runThread_.reset();
    scriptThread_.reset();
}

bool SystemDocument::IsRunning() {
    return hasDriver_.load() || fileJob_.load();
}

void SystemDocument::SettingsChanged(const Settings& settings) {
    settings_ = settings;
    if (!IsRunning()) ApplyModelSettings(model_, settings_);
}

void SystemDocument::SetStatus(const std::string& text) {
    view_.SetStatus(text);
}

void SystemDocument::SplitEditorText() {
    // A script already given ("ss") makes a script block model text.
    const bool scriptGiven = !state_.scriptLines.empty();
    ExtractedLines split = ExtractModelLines(view_.EditorLines(), !scriptGiven);
    state_.modelLines = std::move(split.modelLines);
    if (!scriptGiven) state_.scriptLines = std::move(split.scriptLines);
    if (state_.scriptLines.empty()) state_.scriptLines.emplace_back("run");
}

void SystemDocument::AnalysisRunClick() {
    // Its boxes run event loops; meanwhile the workspace refuses a close.
    ++starting_;
    struct Started {
        int& count;
        ~Started() { --count; }
    } started{starting_};
    if (IsRunning()) return;
    StopWorkers();
    if (state_.fileName.empty()) {
        state_.fileName = view_.SaveDocument();
        if (state_.fileName.empty()) {
            state_.scriptLines.clear();
            return;
        }
    }
    if (!StartScript()) return;
    try {
        StartWorkers();
    } catch (const std::exception& failure) {
        // No thread: the script ends here, undoing what PrepareRun did.
        app_.ReportInternalError(failure.what());
        ScriptDone();
    }
}

bool SystemDocument::StartScript() {
    runSettings_ = settings_;
    ApplyModelSettings(model_, runSettings_);
    record_ = ScriptRecord{};
    stoppedBetweenCommands_.store(false);
    SetStatus("PARSING");
    SplitEditorText();
    view_.ShowModelWarnings(CollectModelWarnings(view_.EditorLines(), runSettings_));
    if (!Prepare(state_.scriptLines, ScriptDocumentInfo{state_.fileName}, state_.prepared, view_)) {
        state_.scriptLines.clear();
        state_.prepared.commands.clear();
        record_.rejected = true;
        SetStatus("");
        return false;
    }
    record_.wrote = state_.prepared.scriptWrites;
    for (const std::string& assignment : startAssignments_)
        ApplyAssignment(model_, state_.modelLines, assignment);

    results_.RememberDisplaySets();
    SetStatus("");
    state_.counter = 0;
    state_.loopValues.clear();
    state_.runLabel.clear();
    // A script that is stopped before its first command still has a start.
    state_.timerStart = TickCountMs();
    scriptEvent_.Reset();
    runEvent_.Reset();
    {
        const std::lock_guard lock(runLock_);
        driver_ = std::make_unique<RunDriver>(model_, form_, errorSink_);
        hasDriver_.store(true);
    }
    PrepareRun();
    return true;
}

void SystemDocument::StartWorkers() {
    methodLabel_ = runSettings_.UsesTaylor() ? "TAYLOR" : "LSODA";
    stopRequested_.store(false);
    workersEnding_.store(false);
    scriptThread_ = std::make_unique<TScriptThread>(*this, scriptEvent_, scriptLock_);
    runThread_ = std::make_unique<TRunThread>(*driver_, *this, runLock_, runEvent_);
    scriptEvent_.Set();
}

void SystemDocument::AnalysisSSClick() {
    if (IsRunning()) return;
    state_.scriptLines.assign(1, "ss");
    AnalysisRunClick();
}

void SystemDocument::StopMenuClick() {
    const std::lock_guard lock(scriptLock_);
    stopRequested_.store(true);
}

void SystemDocument::PrepareRun() {
    // Kept, not cleared: a steady state or a failed run must not lose them.
    keptUntilRows_ = hasResults_;
    view_.SetRunning(true);
    runningShown_ = true;
    state_.messagesOpen = state_.prepared.scriptWrites;
    if (state_.messagesOpen)
        app_.OpenMessagesWindow(state_.fileName, MessagesCaption(state_.fileName));
}

RunConfiguration SystemDocument::Configuration() const {
    RunConfiguration configuration;
    configuration.method = runSettings_.UsesTaylor() ? SolverMethod::Taylor : SolverMethod::Lsoda;
    configuration.createResults = runSettings_.solverCreateResults;
    configuration.minOrder = runSettings_.minOrder;
    configuration.maxOrder = runSettings_.maxOrder;
    configuration.logTolerance = runSettings_.mLogTolerance;
    configuration.absoluteTolerance = runSettings_.AbsoluteTolerance();
    configuration.filePrecision = runSettings_.filePrec;
    configuration.exactJacobian = runSettings_.exactJacobian;
    return configuration;
}

void SystemDocument::FailCommand() {
    EndScript();
    ContinueScript();
}

void SystemDocument::Solve() {
    if (unwatched_) {
        if (SolveFromSweep(false) != SweepStep::Stored) SolveHere();
        return;
    }
    switch (SolveFromSweep(true)) {
    case SweepStep::Stored:
        return;
    case SweepStep::Pending:
        // The script thread waits for the workers and resumes the solve.
        SetStatus("SOLVING");
        sweepPending_.store(true);
        return;
    case SweepStep::Stopped:
        StopSweep();
        return;
    case SweepStep::Serial:
        SolveOnRunThread();
        return;
    }
}

void SystemDocument::SolveOnRunThread() {
    ProgressSnapshot start;
    start.method = methodLabel_;
    view_.ShowProgress(start);
    {
        const std::lock_guard lock(runLock_);
        solveRequest_ = SolveRequest{state_.modelLines, Configuration()};
    }
    // The script stays suspended until SolveStarted fails it or the run ends.
    runEvent_.Set();
}

// Builds the model and starts the solver here, for a run nobody watches
// (no window waits on it); on failure reports it and ends the script.
bool SystemDocument::StartSolve() {
    ProgressSnapshot start;
    start.method = methodLabel_;
    view_.ShowProgress(start);
    const RunApproval approve = [this](const KRMparser& model) { return ApproveRunSize(model); };
    if (!driver_->Start(state_.modelLines, Configuration(), approve)) {
        ReportStartFailure();
        return false;
    }
    SetStatus("SOLVING");
    solveActive_ = true;
    return true;
}

// A solve that did not start: declined by the user, or failed in its build
// or first slice; either way the script ends here.
void SystemDocument::ReportStartFailure() {
    RunOutcome outcome = driver_->Finish();
    if (outcome.category == kCategoryDeclined)
        record_.runDeclined = true;
    else
        ReportFailure(outcome);
    FailCommand();
}

std::optional<SolveRequest> SystemDocument::TakeSolveRequest() {
    const std::lock_guard lock(runLock_);
    std::optional<SolveRequest> request = std::move(solveRequest_);
    solveRequest_.reset();
    return request;
}

void SystemDocument::SolveStarted(bool started, const std::string& failure) {
    if (!failure.empty()) {
        record_.commandProblem = true;
        view_.ShowErrorReport({"CRITICAL ERROR:", failure});
        FailCommand();
        return;
    }
    if (!started) {
        ReportStartFailure();
        return;
    }
    SetStatus("SOLVING");
    solveActive_ = true;
    runEvent_.Set();
}

// Checked on every solve, so that a script's own SETs of tf and hr count.
bool SystemDocument::ApproveRunSize(const KRMparser& model) {
    const RunSize size = ExpectedRunSize(model);
    const int64_t limit = runSettings_.maxRunValues;
    return size.values <= limit || view_.ConfirmLargeRun(size, limit);
}

void SystemDocument::UpdateProgress() {
    if (!driver_ || driver_->solver() == nullptr) return;
    view_.ShowProgress(
        SnapshotOf(*driver_->solver(), methodLabel_, ProgressSnapshot::Phase::Running));
}

void SystemDocument::FinishRun() {
    if (FinishSegment()) runEvent_.Set();
}

bool SystemDocument::FinishSegment() {
    if (!driver_ || !solveActive_) return false;
    try {
        UpdateProgress();
        const winintegrator& solver = *driver_->solver();
        const bool eventLeft = solver.state == kSolverFinished &&
                               solver.status == kStatusComplete &&
                               model_.eventIndex < model_.events.size();
        if (eventLeft) SetStatus("PARSING");
        // Events triggered by conditions continue the run without a word.
        if (eventLeft || driver_->SegmentEndsAtEvent()) {
            if (driver_->ContinueAfterEvent()) {
                if (eventLeft) SetStatus("SOLVING");
                return true;
            }
        }
        SetStatus("");
        view_.ShowProgress(SnapshotOf(solver, methodLabel_, ProgressSnapshot::Phase::Final));
        solveActive_ = false;
        RunOutcome outcome = driver_->Finish();
        StoreSolution(outcome);
        if (!outcome.Succeeded()) {
            ReportFailure(outcome);
            EndScript();
        }
    } catch (const std::exception&) {
        solveActive_ = false;
        view_.WarningBox("Problem during termination", "Solver");
        EndScript();
    }
    ContinueScript();
    return false;
}

void SystemDocument::StoreSolution(RunOutcome& outcome) {
    record_.lastStatistics = outcome.statistics;
    ++record_.solves;
    if (outcome.timeCourse) {
        if (keptUntilRows_) results_.Clear();
        keptUntilRows_ = false;
        hasResults_ = true;
        outcome.timeCourse->runLabel = state_.runLabel;
        results_.AppendSolution(std::move(*outcome.timeCourse), !state_.prepared.superimpose);
        RecomputeAfterAppend(results_, '.', runSettings_.stockColours);
    }
    if (hasResults_) view_.ResultsChanged();
}

void SystemDocument::ReportFailure(const RunOutcome& outcome) {
    record_.failureCategory = outcome.category;
    record_.failureCode = outcome.code;
    const winintegrator* solver = driver_ ? driver_->solver() : nullptr;
    const std::string solverName = solver != nullptr ? solver->name : "LSODA solver.";
    if (outcome.category == kCategoryUnavailable) {
        view_.ShowErrorReport({solverName, outcome.detail});
        return;
    }
    errorSink_.solverName = solverName;
    errorSink_.owner = this;
    errorSink_.Display();
}

void SystemDocument::Fit(const std::string& arguments) {
    SetStatus("FITTING");
    const ScriptFitOutcome outcome =
        RunScriptFit(arguments, state_.modelLines, model_, state_.fileName, nullptr);
    if (!outcome.problem.empty()) {
        record_.commandProblem = true;
        view_.WarningBox("FIT " + arguments + "\n" + outcome.problem, "Could not fit");
        FailCommand();
        return;
    }
    for (const std::string& assignment : outcome.assignments)
        ApplyAssignment(model_, state_.modelLines, assignment);
    state_.fitFigures = outcome.figures;
    ContinueScript();
}

void SystemDocument::ScriptDone() {
    if (runSettings_.beepOnCompletion && TickCountMs() - state_.timerStart > kBeepAfterMs)
        app_.Beep();
    stopRequested_.store(false);
    keptUntilRows_ = false;
    sweep_.reset();
    parallel_.reset();
    serialLoops_.clear();
    sweepPending_.store(false);
    record_.stoppedBetweenCommands = stoppedBetweenCommands_.load();
    if (runThread_) runThread_->Terminate();
    runEvent_.Set();
    DeleteSolvers();
    if (runningShown_) view_.SetRunning(false);
    runningShown_ = false;
    state_.scriptLines.clear();
    state_.modelLines.clear();
    if (state_.messagesOpen) app_.FinishMessagesWindow(state_.fileName);
    state_.messagesOpen = false;
}

void SystemDocument::DeleteSolvers() {
    // The run thread holds a reference to the driver: it must have been told
    // to stop first, so that under the lock it sees that and never uses it.
    assert(!runThread_ || runThread_->Terminated());
    const std::lock_guard lock(runLock_);
    driver_.reset();
    hasDriver_.store(false);
    solveActive_ = false;
    model_.Clear();
}

void SystemDocument::EndScript() {
    if (scriptThread_) scriptThread_->Terminate();
}

const TimeCourse* SystemDocument::LastTimeCourse() const {
    return results_.timeCourses.empty() ? nullptr : &results_.timeCourses.back();
}

bool SystemDocument::MergeResults(const std::string& fileName) {
    ResultsSet incoming;
    if (!ReadResultsFile(incoming, fileName, '.', settings_.stockColours)) return false;
    results_.Merge(incoming);
    Recompute(results_, '.', settings_.stockColours);
    view_.ResultsChanged();
    return true;
}

std::string SystemDocument::ResultsFileName() const {
    return resultsDocument_ ? state_.fileName : results_.fileName;
}

bool SystemDocument::RefreshResultsFrom(const std::string& savedName, char decimalSeparator) {
    const std::string own = ResultsFileName();
    if (IsRunning() || own.empty() || results_.modified || !IsSameFile(own, savedName))
        return false;
    ResultsSet fresh;
    if (!ReadResultsFile(fresh, savedName, decimalSeparator, settings_.stockColours)) return false;
    fresh.fileName = results_.fileName;
    fresh.modified = false;
    results_ = std::move(fresh);
    MarkHasResults();
    view_.ResultsChanged();
    return true;
}

bool SystemDocument::SaveResults(const std::string& fileName, std::string& reason) {
    // Scripts run in model documents only: the document's file is a model.
    const ResultsFileResult written =
        SaveResultsSet(results_, fileName, settings_.filePrec, state_.fileName);
    if (!written) reason = written.reason;
    return written.ok;
}

void SystemDocument::ClearResults() {
    results_.Clear();
    hasResults_ = false;
    keptUntilRows_ = false;
    view_.ResultsChanged();
}

} // namespace kora

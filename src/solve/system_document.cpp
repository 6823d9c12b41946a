#include "system_document.h"

#include <exception>

#include "common/ascii_case.h"
#include "common/file_names.h"
#include "common/text_trim.h"
#include "model/run_size.h"
#include "model_settings.h"
#include "numeric/krmform_ss.h"
#include "results/atomic_file.h"
#include "results/plot_ranges.h"
#include "results/results_file.h"
#include "run_thread.h"
#include "script/script_execution.h"
#include "script_thread.h"
#include "solve/base/app_host.h"
#include "solve/base/document_host.h"
#include "steady_state_run.h"

namespace kora {

namespace {

constexpr int64_t kBeepAfterMs = 5000;

bool IsComment(std::string_view line) {
    return line.size() >= 2 && line.substr(0, 2) == "//";
}

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
}

SystemDocument::~SystemDocument() {
    // Workers waiting for the main thread are released first; then each
    // leaves its loop at once.
    gate_.Close();
    StopWorkers();
}

void SystemDocument::StopWorkers() {
    if (runThread_) runThread_->Terminate();
    if (scriptThread_) scriptThread_->Terminate();
    runEvent_.Set();
    scriptEvent_.Set();
    runThread_.reset();
    scriptThread_.reset();
}

bool SystemDocument::IsRunning() {
    const std::lock_guard lock(runLock_);
    return driver_ != nullptr;
}

void SystemDocument::SettingsChanged(const Settings& settings) {
    settings_ = settings;
    if (!IsRunning()) ApplyModelSettings(model_, settings_);
}

void SystemDocument::SetStatus(const std::string& text) {
    view_.SetStatus(text);
}

void SystemDocument::SplitEditorText() {
    const bool scriptGiven = !state_.scriptLines.empty();
    state_.modelLines.clear();
    bool inScript = false;
    for (const std::string& raw : view_.EditorLines()) {
        const std::string_view line = TrimSpaceAndControls(raw);
        const std::string upper = UpperAscii(line);
        if (upper == "SCRIPT") inScript = true;
        if (upper == "END SCRIPT" || upper == "ENDSCRIPT") inScript = false;
        if (line.empty() || IsComment(line)) continue;
        (inScript && !scriptGiven ? state_.scriptLines : state_.modelLines).emplace_back(line);
    }
    if (state_.scriptLines.empty()) state_.scriptLines.emplace_back("run");
}

void SystemDocument::AnalysisRunClick() {
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
    // A script that is stopped before its first command still has a start.
    state_.timerStart = TickCountMs();
    scriptEvent_.Reset();
    runEvent_.Reset();
    {
        const std::lock_guard lock(runLock_);
        driver_ = std::make_unique<RunDriver>(model_, form_, errorSink_);
    }
    PrepareRun();
    return true;
}

void SystemDocument::StartWorkers() {
    methodLabel_ = runSettings_.UsesTaylor() ? "TAYLOR" : "LSODA";
    stopRequested_.store(false);
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
    if (hasResults_) ClearResults();
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
    return configuration;
}

void SystemDocument::FailCommand() {
    EndScript();
    ContinueScript();
}

void SystemDocument::Solve() {
    ProgressSnapshot start;
    start.method = methodLabel_;
    view_.ShowProgress(start);
    const RunApproval approve = [this](const KRMparser& model) { return ApproveRunSize(model); };
    if (!driver_->Start(state_.modelLines, Configuration(), approve)) {
        RunOutcome outcome = driver_->Finish();
        if (outcome.category == kCategoryDeclined)
            record_.runDeclined = true;
        else
            ReportFailure(outcome);
        FailCommand();
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
    if (!driver_ || !solveActive_) return;
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
                runEvent_.Set();
                return;
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
}

void SystemDocument::StoreSolution(RunOutcome& outcome) {
    record_.lastStatistics = outcome.statistics;
    ++record_.solves;
    if (outcome.timeCourse) {
        hasResults_ = true;
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

void SystemDocument::SteadyState() {
    const SteadyStateRun run = RunSteadyState(model_, *steadyState_, state_.modelLines,
                                              runSettings_.ssPrec, runSettings_.sensThreshold,
                                              [this](const std::string& text) { SetStatus(text); });
    if (run.modelFailed) {
        errorSink_.owner = this;
        record_.failureCategory = kCategoryModel;
        record_.failureCode = errorSink_.code;
        errorSink_.Display();
        FailCommand();
        return;
    }
    if (!run.report) {
        record_.commandProblem = true;
        view_.ShowErrorReport({"CRITICAL ERROR:", run.failure});
        FailCommand();
        return;
    }
    app_.ShowSteadyStateReport("Steady state for " + std::string(BaseFileName(state_.fileName)),
                               run.report);
    ContinueScript();
}

void SystemDocument::ScriptDone() {
    if (runSettings_.beepOnCompletion && TickCountMs() - state_.timerStart > kBeepAfterMs)
        app_.Beep();
    stopRequested_.store(false);
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
    const std::lock_guard lock(runLock_);
    driver_.reset();
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

bool SystemDocument::SaveResults(const std::string& fileName, std::string& reason) {
    // A link under a results name must not turn the model into results.
    if (!state_.fileName.empty() && IsSameFile(fileName, state_.fileName)) {
        reason = "'" + fileName + "' is the model file itself; nothing was written";
        return false;
    }
    results_.precision = settings_.filePrec;
    const ResultsFileResult written = WriteResultsFile(results_, fileName);
    if (!written) {
        reason = written.reason;
        return false;
    }
    results_.modified = false;
    return true;
}

void SystemDocument::ClearResults() {
    results_.Clear();
    hasResults_ = false;
    view_.ResultsChanged();
}

} // namespace kora

#include "system_document.h"

#include <exception>

#include "common/ascii_case.h"
#include "common/file_names.h"
#include "common/text_trim.h"
#include "model_settings.h"
#include "numeric/krmform_ss.h"
#include "results/plot_ranges.h"
#include "results/results_file.h"
#include "run_thread.h"
#include "script/script_execution.h"
#include "script_thread.h"
#include "solve/base/host.h"

namespace kora {

namespace {

constexpr int64_t kBeepAfterMs = 5000;

bool IsComment(std::string_view line) {
    return line.size() >= 2 && line.substr(0, 2) == "//";
}

} // namespace

SystemDocument::SystemDocument(Host& host, const Settings& settings, std::string fileName)
    : host_(host), settings_(settings), errorSink_(host), model_(&form_, &errorSink_),
      steadyState_(std::make_unique<KRMForm_ss>(form_, model_)) {
    state_.fileName = std::move(fileName);
    results_.precision = settings.filePrec;
    ApplyModelSettings(model_, settings);
    errorSink_.owner = this;
}

SystemDocument::~SystemDocument() {
    JoinWorkers();
}

void SystemDocument::JoinWorkers() {
    if (runThread_) {
        runThread_->Terminate();
        runEvent_.Set();
    }
    runThread_.reset();
    scriptThread_.reset();
}

bool SystemDocument::IsRunning() {
    const std::lock_guard lock(runLock_);
    return driver_ != nullptr;
}

void SystemDocument::SetStatus(const std::string& text) {
    host_.SetStatus(text);
}

void SystemDocument::SplitEditorText() {
    const bool scriptGiven = !state_.scriptLines.empty();
    state_.modelLines.clear();
    bool inScript = false;
    for (const std::string& raw : host_.EditorLines()) {
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
    JoinWorkers();
    if (state_.fileName.empty()) {
        state_.fileName = host_.SaveDocument();
        if (state_.fileName.empty()) {
            state_.scriptLines.clear();
            return;
        }
    }
    record_ = ScriptRecord{};
    stoppedBetweenCommands_.store(false);
    SetStatus("PARSING");
    SplitEditorText();
    if (!Prepare(state_.scriptLines, ScriptDocumentInfo{state_.fileName}, state_.prepared, host_)) {
        state_.scriptLines.clear();
        state_.prepared.commands.clear();
        record_.rejected = true;
        SetStatus("");
        return;
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
    PrepareRun();

    scriptThread_ = std::make_unique<TScriptThread>(*this, scriptEvent_, scriptLock_);
    {
        const std::lock_guard lock(runLock_);
        driver_ = std::make_unique<RunDriver>(model_, form_, errorSink_);
    }
    methodLabel_ = settings_.UsesTaylor() ? "TAYLOR" : "LSODA";
    runThread_ = std::make_unique<TRunThread>(*driver_, *this, runLock_, runEvent_);
    stopRequested_.store(false);
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
    host_.SetRunning(true);
    state_.messagesCaption.clear();
    if (state_.prepared.scriptWrites) {
        state_.messagesCaption = MessagesCaption(state_.fileName);
        host_.OpenMessagesWindow(state_.messagesCaption, state_.fileName);
    }
}

RunConfiguration SystemDocument::Configuration() const {
    RunConfiguration configuration;
    configuration.method = settings_.UsesTaylor() ? SolverMethod::Taylor : SolverMethod::Lsoda;
    configuration.createResults = settings_.solverCreateResults;
    configuration.minOrder = settings_.minOrder;
    configuration.maxOrder = settings_.maxOrder;
    configuration.logTolerance = settings_.mLogTolerance;
    configuration.filePrecision = settings_.filePrec;
    return configuration;
}

void SystemDocument::Solve() {
    host_.ResetProgress(methodLabel_);
    if (!driver_->Start(state_.modelLines, Configuration())) {
        RunOutcome outcome = driver_->Finish();
        ReportFailure(outcome);
        EndScript();
        ContinueScript();
        return;
    }
    SetStatus("SOLVING");
    solveActive_ = true;
    runEvent_.Set();
}

void SystemDocument::UpdateProgress() {
    if (!driver_ || driver_->solver() == nullptr) return;
    host_.UpdateProgress(*driver_->solver(), methodLabel_);
}

void SystemDocument::FinishRun() {
    if (!driver_ || !solveActive_) return;
    try {
        UpdateProgress();
        const winintegrator& solver = *driver_->solver();
        const bool eventLeft = solver.state == kSolverFinished &&
                               solver.status == kStatusComplete &&
                               model_.eventIndex < model_.events.size();
        if (eventLeft) {
            SetStatus("PARSING");
            if (driver_->ContinueAfterEvent()) {
                SetStatus("SOLVING");
                runEvent_.Set();
                return;
            }
        }
        SetStatus("");
        host_.ShowFinalProgress(solver);
        solveActive_ = false;
        RunOutcome outcome = driver_->Finish();
        StoreSolution(outcome);
        if (!outcome.Succeeded()) {
            ReportFailure(outcome);
            EndScript();
        }
    } catch (const std::exception&) {
        solveActive_ = false;
        host_.WarningBox("Problem during termination", "Solver");
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
        Recompute(results_, '.', settings_.stockColours);
    }
    if (hasResults_) host_.ResultsChanged();
}

void SystemDocument::ReportFailure(const RunOutcome& outcome) {
    record_.failureCategory = outcome.category;
    record_.failureCode = outcome.code;
    const winintegrator* solver = driver_ ? driver_->solver() : nullptr;
    const std::string solverName = solver != nullptr ? solver->name : "LSODA solver.";
    if (outcome.category == kCategoryUnavailable) {
        host_.ShowErrorReport({solverName, outcome.detail});
        return;
    }
    errorSink_.solverName = solverName;
    errorSink_.owner = this;
    errorSink_.Display();
}

void SystemDocument::SteadyState() {
    SetStatus("PARSING");
    model_.Build(state_.modelLines);
    SetStatus("");
    if (errorSink_.code != 0) {
        errorSink_.category = kCategoryModel;
        errorSink_.owner = this;
        record_.failureCategory = kCategoryModel;
        record_.failureCode = errorSink_.code;
        errorSink_.Display();
        EndScript();
        ContinueScript();
        return;
    }
    const bool powerLaw = model_.BuildForm() && errorSink_.code == 0;
    // A model that has no power-law form is still analysed, numerically.
    errorSink_.ClearError();
    SetStatus("COMPUTING");
    try {
        steadyState_->compute(powerLaw);
    } catch (const std::exception& failure) {
        SetStatus("");
        record_.commandProblem = true;
        host_.ShowErrorReport({"CRITICAL ERROR:", failure.what()});
        EndScript();
        ContinueScript();
        return;
    }
    SetStatus("");
    host_.ShowSteadyStateReport("Steady state for " + std::string(BaseFileName(state_.fileName)),
                                *steadyState_, settings_.ssPrec);
    ContinueScript();
}

void SystemDocument::ScriptDone() {
    if (settings_.beepOnCompletion && TickCountMs() - state_.timerStart > kBeepAfterMs)
        host_.Beep();
    stopRequested_.store(false);
    record_.stoppedBetweenCommands = stoppedBetweenCommands_.load();
    if (runThread_) runThread_->Terminate();
    runEvent_.Set();
    DeleteSolvers();
    host_.SetRunning(false);
    state_.scriptLines.clear();
    state_.modelLines.clear();
    if (!state_.messagesCaption.empty()) host_.FinishMessagesWindow(state_.messagesCaption);
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
    host_.ResultsChanged();
    return true;
}

bool SystemDocument::SaveResults(const std::string& fileName, std::string& reason) {
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
    host_.ResultsChanged();
}

} // namespace kora

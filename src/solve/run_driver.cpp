#include "run_driver.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/error_report.h"
#include "numeric/krm_form_integrator.h"
#include "numeric/lsoda.h"
#include "results/number_text.h"

namespace kora {

namespace {

constexpr int32_t kCodeEventFailed = 44;
// Switches without an event or a row between them before the equations'
// switches count as chattering.
constexpr int32_t kChatteringSwitches = 200;
// A switch located again this many times in a row, each time within a
// billionth of the run's span of the last, chatters: it is released.
constexpr int32_t kChatteringRepeats = 4;
constexpr double kChatteringSpan = 1e-9;

bool IsEvaluatorStatus(int32_t status) {
    return status >= 3 && status <= 9;
}

std::string QuantityName(uint32_t errorIndex, const KRMparser& model) {
    const size_t n = model.equations.size();
    if (errorIndex < n) return model.equations[errorIndex].name;
    const size_t aux = errorIndex - n;
    return aux < model.definitions.size() ? model.definitions[aux].name : std::string();
}

// The LSODA counters are run totals over every segment.
void AddLsodaStatistics(const lsoda& solver, RunStatistics& statistics) {
    const LsodaStatistics& counts = solver.Statistics();
    statistics.steps = static_cast<int32_t>(counts.steps);
    std::string times;
    for (double t : counts.switchTimes)
        times += (times.empty() ? "" : " ") + FormatGeneral(t, 7);
    statistics.extra = {{"fevals", std::to_string(counts.rhsEvaluations)},
                        {"jevals", std::to_string(counts.jacobianEvaluations)},
                        {"mused", std::to_string(counts.methodInUse)},
                        {"switches", std::to_string(counts.switchCount)},
                        {"switch_times", times}};
}

} // namespace

std::string FailureDetail(int32_t status, uint32_t errorIndex, const MathErrorRecord& record,
                          const KRMparser& model, int digits) {
    std::string detail;
    if (status == 3 || status == 4 || status == 7)
        detail = std::string(record.function) + " [" + FormatGeneral(record.arg1, digits) +
                 "] attempted ";
    else if (status == 8)
        detail = "(" + FormatGeneral(record.arg1, digits) + ")^(" +
                 FormatGeneral(record.arg2, digits) + ") attempted ";
    if (IsEvaluatorStatus(status))
        detail += "while computing " + QuantityName(errorIndex, model) + ".";
    return detail;
}

std::vector<std::string> ErrorReportLines(const RunOutcome& outcome, const char* solverName) {
    return ErrorReportLines(outcome.category, outcome.code, outcome.context, outcome.detail,
                            solverName != nullptr ? solverName : "");
}

bool TakeProgressDue(winintegrator& solver) {
    if (solver.msSinceProgress <= kProgressIntervalMs) return false;
    solver.lastProgressTicks = TickCountMs();
    solver.msSinceProgress = 0;
    return true;
}

ProgressSnapshot SnapshotOf(const winintegrator& solver, const std::string& method,
                            ProgressSnapshot::Phase phase) {
    ProgressSnapshot snapshot;
    snapshot.phase = phase;
    snapshot.method = method;
    if (phase == ProgressSnapshot::Phase::Start) return snapshot;
    snapshot.steps = solver.progStepCount;
    snapshot.order = solver.progOrder;
    snapshot.stepSize = solver.progStepSize;
    snapshot.elapsedMs = solver.elapsedMs;
    snapshot.percent = solver.progPercent;
    return snapshot;
}

RunDriver::RunDriver(KRMparser& model, KRMForm& form, ErrorDisplay& sink)
    : model_(model), form_(form), sink_(sink) {}

RunDriver::~RunDriver() = default;

bool RunDriver::Fail(int32_t category, int32_t code) {
    pending_.category = category;
    pending_.code = code;
    if (category == kCategoryModel) {
        pending_.context = sink_.context;
        pending_.detail = sink_.detail;
    }
    sink_.category = category;
    return false;
}

bool RunDriver::Start(const TextLines& modelLines, const RunConfiguration& configuration,
                      const RunApproval& approve) {
    if (!Build(modelLines, configuration)) return false;
    if (approve && !approve(model_)) {
        Decline();
        return false;
    }
    return Begin();
}

bool RunDriver::Build(const TextLines& modelLines, const RunConfiguration& configuration) {
    configuration_ = configuration;
    // A solve that changes only plain values takes the last build back.
    const bool patched = kept_.TakeBack(model_, lines_, modelLines);
    lines_ = modelLines;
    liveSwitches_.clear();
    return BuildFromLines(patched);
}

// Builds the model from lines_, unless `patched` says it is built already;
// a restart after chattering comes back here with the chattering switches to
// be evaluated live from the start.
bool RunDriver::BuildFromLines(bool patched) {
    pending_ = RunOutcome{};
    failureCaptured_ = false;
    started_ = false;
    stepsOfEarlierSegments_ = 0;
    discardRows_ = false;
    quietSwitches_ = 0;
    rowsAtLastSwitch_ = 0;
    lastSwitchTimes_.clear();
    switchRepeats_.clear();

    kept_.Forget();
    builtByPatch_ = patched;
    if (patched)
        model_.lines = &lines_;
    else
        model_.Build(lines_);
    if (sink_.code != 0) return Fail(kCategoryModel, sink_.code);
    kept_.Remember(model_);
    if (configuration_.method == SolverMethod::Taylor && (!model_.BuildForm() || sink_.code != 0))
        return Fail(kCategoryModel, sink_.code != 0 ? sink_.code : 18);
    return true;
}

void RunDriver::Decline() {
    pending_.category = kCategoryDeclined;
}

bool RunDriver::Begin() {
    if (!MakeSolver()) {
        pending_.category = kCategoryUnavailable;
        pending_.detail = "The LSODA solver is not available in this build.";
        return false;
    }
    if (!solver_->Init()) {
        sink_.code = solver_->state;
        return Fail(kCategorySolver, solver_->state);
    }
    Configure();
    for (size_t k : liveSwitches_)
        solver_->ReleaseSwitch(k);
    started_ = true;
    if (!EventsAtStart()) return false;
    Slice(false);
    return true;
}

// Triggers are looked at before the first step: one that is true at the
// start and false before it fires there, between two rows at t0.
bool RunDriver::EventsAtStart() {
    if (!stateEvents_.Active()) return true;
    winintegrator& solver = *solver_;
    stateEvents_.Begin();
    const std::vector<double> before(solver.values.begin(),
                                     solver.values.begin() + model_.equations.size());
    const StateEvents::Result result = stateEvents_.Process(solver.t0, solver.ModelTime(solver.t0));
    if (result == StateEvents::Result::Failed) {
        discardRows_ = true;
        Fail(kCategoryModel, sink_.code);
        return false;
    }
    if (result == StateEvents::Result::Fired) {
        solver.continuation = true;
        solver.BeginRows();
        solver.StoreRow(solver.t0, before.data());
        solver.continuation = true;
        if (!NextSegment(solver.t0, false, true, true)) return false;
        return true;
    }
    solver.segmentEnd = SegmentEnd(solver.t0);
    return true;
}

// The end of a segment starting at `start`: the next timed event, the next
// delayed firing or the end of the run, whichever comes first.
double RunDriver::SegmentEnd(double start) const {
    double end = model_.eventIndex < model_.events.size()
                     ? model_.events[model_.eventIndex].eventTime
                     : model_.tf;
    const double pending = stateEvents_.NextPending();
    if (pending > start && pending < end) end = pending;
    return end;
}

// Restarts the solver at `start` from the model's state. A timed event
// restarts the report grid there, other events keep it.
bool RunDriver::NextSegment(double start, bool restartGrid, bool startRow, bool constantsChanged) {
    winintegrator& solver = *solver_;
    const bool taylor = configuration_.method == SolverMethod::Taylor;
    if (taylor && constantsChanged && !RebuildFormForSegment()) {
        Fail(kCategoryModel, sink_.code != 0 ? sink_.code : 18);
        return false;
    }
    solver.t0 = start;
    solver.segmentEnd = SegmentEnd(start);
    solver.reportInterval = model_.hr;
    if (restartGrid) {
        solver.gridStart = start;
        solver.gridFirst = 1;
    } else {
        // The first grid time after the event; one within a billionth of an
        // interval of it is the event's own row, or, when nothing happened
        // there, the segment's first row.
        const double interval = std::fabs(solver.reportInterval);
        // The first segment's grid starts at its start.
        if (std::isnan(solver.gridStart)) solver.gridStart = solver.runStart;
        int64_t k = std::max<int64_t>(
            solver.gridFirst,
            static_cast<int64_t>(std::floor((start - solver.gridStart) / interval)));
        while (solver.gridStart + static_cast<double>(k) * interval < start - 1e-9 * interval)
            ++k;
        const double onGrid = solver.gridStart + static_cast<double>(k) * interval;
        if (onGrid <= start + 1e-9 * interval) {
            if (!startRow) solver.startRowTime = onGrid;
            startRow = true;
            ++k;
        }
        solver.gridFirst = k;
    }
    const size_t n = model_.equations.size();
    for (size_t i = 0; i < n; ++i)
        solver.values[i] = model_.equations[i].value;
    if (taylor)
        for (const Statement& constant : model_.constants)
            if (constant.valueIndex > 0 &&
                static_cast<size_t>(constant.valueIndex) < solver.values.size())
                solver.values[constant.valueIndex] = constant.value;
    solver.continuation = true;
    solver.skipStartRow = !startRow;
    solver.state = kSolverInitialise;
    Slice(false);
    return true;
}

bool RunDriver::MakeSolver() {
    // One solver object serves every solve of a driver, as it serves every
    // solve command of one script.
    if (configuration_.method == SolverMethod::Taylor) {
        if (dynamic_cast<KRMForm_integrator*>(solver_.get()) == nullptr)
            solver_ = std::make_unique<KRMForm_integrator>(&model_, &form_);
        return true;
    }
    if (dynamic_cast<lsoda*>(solver_.get()) == nullptr) solver_ = std::make_unique<lsoda>(&model_);
    return true;
}

void RunDriver::Configure() {
    winintegrator& solver = *solver_;
    solver.createResults = configuration_.createResults;
    solver.minOrder = configuration_.minOrder;
    solver.maxOrder = configuration_.maxOrder;
    solver.tolerance = std::pow(10.0, -configuration_.logTolerance);
    solver.absoluteTolerance = configuration_.absoluteTolerance;
    solver.state = kSolverInitialise;
    solver.locateSwitches = configuration_.locateSwitches;
    solver.startTicks = solver.lastProgressTicks = TickCountMs();
    if (auto* stiff = dynamic_cast<lsoda*>(&solver))
        stiff->exactJacobian = configuration_.exactJacobian;
}

void RunDriver::CaptureFailureRecord() {
    // The record belongs to the thread that evaluated; keep the failing one
    // for the detail, which is written later, maybe on another thread.
    if (failureCaptured_ || !IsEvaluatorStatus(solver_->status)) return;
    failure_ = CurrentMathError();
    failureCaptured_ = true;
}

void RunDriver::Slice(bool stopRequested) {
    if (!started_) return;
    winintegrator& solver = *solver_;
    if (stopRequested && solver.state == kSolverStepping) solver.status = kStatusStopped;
    solver.Run();
    CaptureFailureRecord();
}

bool RunDriver::SegmentFinished() const {
    return !started_ || solver_->state == kSolverFinished || solver_->state < 0;
}

bool RunDriver::RebuildFormForSegment() {
    // Building the form refuses a non-positive initial value, but a value an
    // event made negative is legitimate mid-run (the solver integrates it as
    // -exp(y)); the form itself does not depend on the values.
    std::vector<double> saved;
    saved.reserve(model_.equations.size());
    for (Statement& equation : model_.equations) {
        saved.push_back(equation.value);
        if (equation.value <= 0.0) equation.value = 1.0;
    }
    const bool built = model_.BuildForm();
    for (size_t i = 0; i < saved.size(); ++i)
        model_.equations[i].value = saved[i];
    return built && sink_.code == 0;
}

bool RunDriver::ContinueAfterEvent() {
    if (!started_ || pending_.category != 0) return false;
    winintegrator& solver = *solver_;
    if (solver.state != kSolverFinished || solver.status != kStatusComplete) return false;
    const bool atSwitch = solver.stoppedAtSwitch;
    const double end = atSwitch ? solver.switchTime : solver.segmentEnd;
    const bool timed = !atSwitch && model_.eventIndex < model_.events.size() &&
                       model_.events[model_.eventIndex].eventTime == end;
    const bool delayed =
        !atSwitch && !timed && stateEvents_.NextPending() <= end && end < model_.tf;
    if (!atSwitch && !timed && !delayed) return false;

    stepsOfEarlierSegments_ += solver.progStepCount;
    const size_t n = model_.equations.size();
    for (size_t i = 0; i < n; ++i)
        model_.equations[i].value = solver.values[i];
    const std::vector<double> before(solver.values.begin(), solver.values.begin() + n);

    if (timed && !model_.ApplyEvent(lines_, false)) return FailDuringRun();
    StateEvents::Result result = StateEvents::Result::Nothing;
    if (stateEvents_.Active()) {
        result = stateEvents_.Process(end, solver.ModelTime(end));
        if (result == StateEvents::Result::Failed) return FailDuringRun();
    }
    const bool fired = timed || result == StateEvents::Result::Fired;
    // A switch that keeps coming back without an event between rows is a
    // state held on the switch (sliding): stepping onto it again and again
    // would never end, so the equations' switches are integrated through.
    quietSwitches_ = fired || solver.rows != rowsAtLastSwitch_ ? 0 : quietSwitches_ + 1;
    rowsAtLastSwitch_ = solver.rows;
    if (quietSwitches_ > kChatteringSwitches) solver.equationSwitchesOff = true;
    if (atSwitch && !fired && FindChatteringSwitches(end)) {
        solver.Reset(); // as Finish leaves it for the next start
        return BuildFromLines() && Begin();
    }
    if (atSwitch && fired) {
        // The row before the event; the segment's first row is the one after.
        solver.continuation = true;
        solver.BeginRows();
        solver.StoreRow(end, before.data());
    }
    return NextSegment(end, timed, fired, fired);
}

// A switch of an equation or a definition that flips back at once, again and
// again, holds the state on it (sliding): held and located, it would end a
// segment of no length each time. Such a switch is evaluated live, as it was
// before switches were located, and the run starts again, so that it gives
// the rows it gave then (continued from the switch, the solver would start
// afresh on it and take far more steps). True when one was found.
bool RunDriver::FindChatteringSwitches(double time) {
    const winintegrator& solver = *solver_;
    const size_t total = model_.switchingFunctions.size();
    lastSwitchTimes_.resize(total, std::numeric_limits<double>::quiet_NaN());
    switchRepeats_.resize(total, 0);
    const double tiny = kChatteringSpan * std::fabs(model_.tf - model_.t0);
    bool found = false;
    for (size_t k = model_.triggerSwitches; k < std::min(total, solver.switchesFound.size()); ++k) {
        if (solver.switchesFound[k] == 0) continue;
        const bool soon = std::fabs(time - lastSwitchTimes_[k]) <= tiny;
        switchRepeats_[k] = soon ? switchRepeats_[k] + 1 : 0;
        lastSwitchTimes_[k] = time;
        if (switchRepeats_[k] < kChatteringRepeats) continue;
        liveSwitches_.push_back(k);
        found = true;
    }
    return found;
}

bool RunDriver::SegmentEndsAtEvent() const {
    if (!started_ || solver_->state != kSolverFinished || solver_->status != kStatusComplete)
        return false;
    return solver_->stoppedAtSwitch ||
           (stateEvents_.NextPending() <= solver_->segmentEnd && solver_->segmentEnd < model_.tf);
}

bool RunDriver::FailDuringRun() {
    discardRows_ = true;
    Fail(kCategoryModel, sink_.code != 0 ? sink_.code : 18);
    return false;
}

RunOutcome RunDriver::Finish() {
    RunOutcome outcome = pending_;
    outcome.statistics.method = configuration_.method == SolverMethod::Taylor ? "taylor" : "lsoda";
    if (!started_) {
        if (outcome.category == kCategorySolver) outcome.statistics.status = outcome.code;
        pending_ = RunOutcome{};
        return outcome;
    }
    winintegrator& solver = *solver_;
    RunStatistics& statistics = outcome.statistics;
    statistics.status = solver.status;
    statistics.steps = stepsOfEarlierSegments_ + solver.progStepCount;
    statistics.order = solver.progOrder;
    statistics.stepSize = solver.progStepSize;
    statistics.rows = solver.createResults ? solver.rows : 0;
    statistics.elapsedMs = solver.elapsedMs;

    const size_t quantities = model_.equations.size() + model_.definitions.size();
    if (outcome.category == 0 && IsEvaluatorStatus(solver.status) &&
        solver.errorIndex >= quantities &&
        solver.errorIndex - quantities < model_.switchingFunctions.size()) {
        // A condition that cannot be evaluated is a fault of the model.
        outcome.category = kCategoryModel;
        outcome.code = kCodeEventFailed;
        outcome.context = model_.switchingFunctions[solver.errorIndex - quantities].text;
        sink_.code = outcome.code;
        sink_.category = kCategoryModel;
        sink_.context = outcome.context;
        sink_.detail.clear();
        discardRows_ = true;
    }
    if (outcome.category == 0 && solver.status != kStatusComplete) {
        outcome.category = kCategorySolver;
        outcome.code = solver.status;
        outcome.detail = FailureDetail(solver.status, solver.errorIndex, failure_, model_,
                                       configuration_.filePrecision);
        sink_.code = outcome.code;
        sink_.category = kCategorySolver;
        sink_.context.clear();
        sink_.detail = outcome.detail;
    }
    if (const auto* stiff = dynamic_cast<const lsoda*>(&solver))
        AddLsodaStatistics(*stiff, statistics);
    if (solver.createResults && !discardRows_)
        outcome.timeCourse = MakeRunTimeCourse(solver, model_);

    solver.Reset();
    kept_.Hold(model_);
    started_ = false;
    pending_ = RunOutcome{};
    return outcome;
}

RunOutcome RunDriver::RunToEnd(const TextLines& modelLines, const RunConfiguration& configuration,
                               const std::atomic<bool>* stop, const ProgressCallback& progress) {
    if (Start(modelLines, configuration)) {
        winintegrator& solver = *solver_;
        do {
            while (!SegmentFinished()) {
                Slice(stop != nullptr && stop->load(std::memory_order_relaxed));
                if (progress && TakeProgressDue(solver)) progress(solver);
            }
        } while (ContinueAfterEvent());
        if (progress) progress(solver);
    }
    return Finish();
}

} // namespace kora

#include "lsoda.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/krm_parser.h"
#include "model/read_dependencies.h"

namespace kora {

lsoda::lsoda(KRMparser* boundModel) : winintegrator(boundModel) {
    name = "LSODA solver.";
    SetDefaults();
}

void lsoda::SetDefaults() {
    n = 0;
    t0 = 0.0;
    reportInterval = 0.1;
    segmentEnd = 1.0;
    tolerance = 1e-6;
    minOrder = 3;
    maxOrder = 10;
    t = tout = 0.0;
    istate = 1;
    itask = 1;
    iopt = 0;
    itol = 1;
    jt = 2;
    lastPoint = false;
    firstStepPending = false;
    reportIndex = 0;
    std::vector<double>().swap(y);
    engine.Release();
}

void lsoda::Reset() {
    winintegrator::Reset();
    SetDefaults();
    statistics = LsodaStatistics{};
}

void lsoda::StepSlice() {
    try {
        SteppingSlice();
    } catch (...) {
        status = kStatusMathError;
    }
}

bool lsoda::Derivatives(double time, const double* yv, double* ydot) {
    const double tau = ModelTime(time);
    if (!locks.Any() && model->EvaluateFusedSystem(tau, yv, auxValues.data(), constValues.data(),
                                                   evalStack.data(), ydot)) {
        if (backward)
            for (int32_t i = 0; i < n; ++i)
                ydot[i] = -ydot[i];
        return true;
    }
    const size_t definitions = model->definitions.size();
    for (size_t j = 0; j < definitions; ++j) {
        int error = 0;
        const double value = EvaluateQuantity(1, j, tau, yv, error);
        if (error != 0) {
            status = error;
            errorIndex = static_cast<uint32_t>(n) + static_cast<uint32_t>(j);
            return false;
        }
        auxValues[j] = value;
    }
    for (int32_t i = 0; i < n; ++i) {
        int error = 0;
        const double value = EvaluateQuantity(0, static_cast<size_t>(i), tau, yv, error);
        if (error != 0) {
            status = error;
            errorIndex = static_cast<uint32_t>(i);
            return false;
        }
        ydot[i] = backward ? -value : value;
    }
    return true;
}

void lsoda::InitialiseSegment() {
    state = kSolverStepping;
    status = kStatusRunning;
    errorIndex = 0;
    istate = 1;
    firstStepPending = false;
    stoppedAtSwitch = false;
    if (t0 == runStart && !continuation) statistics = LsodaStatistics{};
    try {
        n = static_cast<int32_t>(model->VariableCount());
        // Report times are counted from the segment start, not accumulated,
        // so the grid does not drift and the last row is the segment end.
        reportIndex = gridFirst;
        tout = ReportTime(gridStart, reportIndex);
        lastPoint = false;
        if (tout >= segmentEnd) {
            tout = segmentEnd;
            lastPoint = true;
        }
        t = t0;
        y.assign(values.begin(), values.begin() + std::min<size_t>(n, values.size()));
        y.resize(static_cast<size_t>(n), 0.0);
        BeginRows();
        StoreRow(t0, y.data());
        if (status != kStatusRunning) return; // an auxiliary failed at the start
        StartEngine();
    } catch (...) {
        // Allocation of the work arrays failed; the next slice closes the run.
        status = kStatusMathError;
    }
}

void lsoda::StartEngine() {
    // Only the model's own right side has a known pattern of reads.
    std::vector<std::vector<int32_t>> reads;
    ColumnGroups groups;
    int32_t lower = -1, upper = -1;
    const bool readsKnown = rhs_ == this && DerivativeReads(*model, reads);
    if (readsKnown) {
        BuildColumnGroups(reads, groups);
        // A narrow band is factored and solved as a band: the same
        // eliminations on the entries that are not zero, in n * band time
        // and space.
        Bandwidths(reads, lower, upper);
        if (groups.Empty() || 4 * (2 * lower + upper + 1) > n) lower = upper = -1;
    }
    // A large matrix that is neither banded nor full is kept and factored
    // sparse: its fill-reducing LU costs a small multiple of its entries.
    engine.sparse.reset();
    const double entries = static_cast<double>(groups.rows.size() + static_cast<size_t>(n));
    if (!groups.Empty() && lower < 0 && n >= sparseMinimum &&
        entries <= sparseLargestFill * static_cast<double>(n) * n) {
        engine.sparse = std::make_unique<SparseIterationMatrix>();
        if (!engine.sparse->Prepare(n, groups)) engine.sparse.reset();
    }
    engine.Allocate(n, engine.sparse != nullptr ? 0 : lower < 0 ? -1 : 2 * lower + upper + 1);
    engine.columnGroups = std::move(groups);
    engine.bandLower = lower;
    engine.bandUpper = upper;
    // Sized for the model as this segment sees it (an event may rebuild it).
    const bool exact = exactJacobian && readsKnown;
    modelJacobian_ = exact ? std::make_unique<ModelJacobian>(*model) : nullptr;
    engine.exactJacobian = exact ? this : nullptr;
    jt = !exact ? 2 : lower < 0 ? 1 : 4;
    // A segment of no length (t0 = tf) has its answer already: the published
    // driver returns at once when tout = t; take that as the end row.
    if (tout == t) {
        Report();
        return;
    }
    bool onZero = false;
    if (rhs_ == this && !HoldSwitches(ModelTime(t), y.data(), onZero)) return;
    LsodaEngine::StartResult started = StartEngineAt(t);
    // A switch that starts on its zero takes the value it has a first step
    // on, where the integration goes; held at its value on the zero, it
    // would never be seen to cross.
    if (started == LsodaEngine::StartResult::Ok && onZero && Rehold()) started = StartEngineAt(t);
    switch (started) {
    case LsodaEngine::StartResult::Ok:
        firstStepPending = true;
        StartRoots();
        break;
    case LsodaEngine::StartResult::IllegalInput:
        ++engine.illin;
        istate = -3;
        status = kStatusIllegalInput;
        break;
    case LsodaEngine::StartResult::RhsFailed:
        break; // the evaluator's code is in status
    }
}

LsodaEngine::StartResult lsoda::StartEngineAt(double time) {
    const double atol = absoluteTolerance > 0 ? absoluteTolerance : 1000.0 * kLsodaEta;
    return engine.Start(*rhs_, time, tout, y.data(), tolerance, atol);
}

void lsoda::StartRoots() {
    const size_t count = SwitchCount();
    engine.AllocateRoots(static_cast<int>(count));
    if (count == 0) return;
    engine.tlast = t;
    engine.toutc = tout;
    // A function identically zero at the start is watched from its first
    // sign; its zero is no crossing.
    std::vector<double> start(y);
    if (engine.rchek(1, *this, start.data()) == LsodaEngine::RootResult::Failed) return;
}

bool lsoda::JacobianTimes(double time, const double* yv, const double* v, double* jv) {
    if (!modelJacobian_->Times(ModelTime(time), yv, v, constValues.data(), jv)) return false;
    if (backward)
        for (int32_t i = 0; i < n; ++i)
            jv[i] = -jv[i];
    return true;
}

// The switches that start on their zero held at their values one first step
// on (y + h y'); true when a held value changed.
bool lsoda::Rehold() {
    std::vector<double> ahead(y);
    for (int32_t i = 0; i < n; ++i)
        ahead[static_cast<size_t>(i)] += engine.YH(i + 1, 2);
    const size_t total = model->switchingFunctions.size();
    std::vector<int8_t> before(total);
    for (size_t k = 0; k < total; ++k)
        before[k] = locks.Value(k);
    if (!HoldZeroSwitches(ModelTime(t + engine.h), ahead.data())) return false;
    for (size_t k = 0; k < total; ++k)
        if (locks.Value(k) != before[k]) return true;
    return false;
}

bool lsoda::Roots(double time, const double* yv, double* g) {
    return SwitchingValues(ModelTime(time), yv, g);
}

// Looks for a switch in the part of the step not yet searched; true when the
// segment ends (at a switch, or on a failure to evaluate one).
bool lsoda::CheckSwitches(int job) {
    if (engine.ngc == 0) return false;
    engine.toutc = tout;
    switch (engine.rchek(job, *this, y.data())) {
    case LsodaEngine::RootResult::None:
    case LsodaEngine::RootResult::ZeroAtStart:
        return false;
    case LsodaEngine::RootResult::Failed:
        return true; // the evaluator's code is in status; the next slice closes
    case LsodaEngine::RootResult::Found:
        break;
    }
    switchesFound.assign(engine.jroot.begin(), engine.jroot.end());
    // A function exactly zero there has not yet switched: a relation holding
    // only past it must hold where the segment ends.
    if (std::any_of(engine.g0.begin(), engine.g0.end(), [](double g) { return g == 0.0; }))
        engine.StepPastRoot(y.data());
    // The segment ends at the switch without a row: the run decides whether
    // the switch is an event time, which has rows.
    t = engine.rootT0;
    stoppedAtSwitch = true;
    switchTime = t;
    status = kStatusComplete;
    engine.LoadStatistics();
    return true;
}

void lsoda::SteppingSlice() {
    bool firstStep = false;
    if (firstStepPending) {
        firstStepPending = false;
        firstStep = true;
    } else if (istate == 2) {
        // A new report interval; the last step may already cover it.
        engine.BeginInterval();
        if (CheckSwitches(2)) return;
        if (engine.Reached(tout)) {
            if (engine.intdy(tout, 0, y.data()) != 0) {
                istate = -3;
                status = kStatusIllegalInput;
                return;
            }
            t = tout;
            Report();
            return;
        }
    }

    switch (engine.CheckBeforeStep(firstStep)) {
    case LsodaEngine::CheckResult::Ok:
        break;
    case LsodaEngine::CheckResult::TooManySteps:
        FailureExit(kStatusStepLimit, -1);
        return;
    case LsodaEngine::CheckResult::ErrorWeight:
        FailureExit(kStatusErrorWeight, -6);
        return;
    case LsodaEngine::CheckResult::TooMuchAccuracy:
        FailureExit(kStatusTooMuchAccuracy, -2);
        return;
    case LsodaEngine::CheckResult::IllegalInput:
        ++engine.illin;
        FailureExit(kStatusIllegalInput, -3);
        return;
    }

    switch (engine.Step(*rhs_)) {
    case LsodaEngine::StepResult::Ok:
        // Evaluation failures on the way were retried shorter and passed.
        status = kStatusRunning;
        errorIndex = 0;
        break;
    case LsodaEngine::StepResult::RhsFailed:
        return; // the evaluator's code is in status; the next slice closes
    case LsodaEngine::StepResult::ErrorTestFailed:
        FailureExit(kStatusErrorTestFailed, -4);
        return;
    case LsodaEngine::StepResult::ConvergenceFailed:
        FailureExit(kStatusConvergenceFailed, -5);
        return;
    }
    Progress(engine.tn, engine.nst, engine.hu, engine.nqu, 0.0);
    if (status == kStatusRunning && CheckSwitches(3)) return;
    if (!engine.Reached(tout)) {
        istate = 4;
        return;
    }
    engine.intdy(tout, 0, y.data());
    t = tout;
    Report();
}

void lsoda::Report() {
    istate = 2;
    engine.illin = 0;
    if (lastPoint) status = kStatusComplete;
    engine.LoadStatistics();
    StoreRow(t, y.data());
    engine.tlast = t;
    ++reportIndex;
    const double next = ReportTime(gridStart, reportIndex);
    if (!lastPoint && next >= segmentEnd) {
        tout = segmentEnd;
        lastPoint = true;
    } else {
        tout = next;
    }
}

// A failed run ends with a row at the time reached, holding the solution there.
void lsoda::FailureExit(int32_t code, int32_t publishedState) {
    istate = publishedState;
    status = code;
    engine.CurrentSolution(y.data());
    t = engine.tn;
    // The row's auxiliaries may fail too; the step failure stays the outcome.
    const uint32_t failedIndex = errorIndex;
    StoreRow(t, y.data());
    status = code;
    errorIndex = failedIndex;
    Progress(engine.tn, engine.nst, engine.hu, engine.nqu, 0.0);
    status = code;
    engine.LoadStatistics();
}

void lsoda::AccumulateStatistics() {
    statistics.steps += engine.nst;
    statistics.rhsEvaluations += engine.nfe;
    statistics.jacobianEvaluations += engine.nje;
    if (engine.mused != 0) statistics.methodInUse = engine.mused;
    statistics.switchCount += engine.switchCount;
    for (double time : engine.switchTimes)
        statistics.switchTimes.push_back(ModelTime(time));
}

void lsoda::Close() {
    EndRows();
    const size_t count = std::min({static_cast<size_t>(n), y.size(), values.size()});
    std::copy_n(y.begin(), count, values.begin());
    AccumulateStatistics();
    std::vector<double>().swap(y);
    engine.Release();
    state = kSolverFinished;
}

} // namespace kora

#include "winintegrator.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cmath>
#include <limits>
#include <new>

#include "model/krm_parser.h"
#include "model/math_error.h"

namespace kora {

int64_t TickCountMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {

// Frees a vector's storage, not just its contents.
void FreeArray(std::vector<double>& array) {
    std::vector<double>().swap(array);
}

// A solver state that is not a number fails like an evaluation of it would,
// so that no row of NaN is ever stored.
bool FindNotANumber(const double* variables, size_t n, uint32_t& index) {
    for (size_t i = 0; i < n; ++i) {
        if (!std::isnan(variables[i])) continue;
        MathErrorRecord& record = CurrentMathError();
        record = MathErrorRecord{MathErrorKind::Domain, "value", variables[i], 0.0, 1};
        index = static_cast<uint32_t>(i);
        return true;
    }
    return false;
}

bool IsReported(const Statement& statement) {
    return statement.state == kStateReported && statement.reportIndex > 0;
}

int32_t CountColumns(const KRMparser& model) {
    // The widest report index decides, so a row always has room for every
    // marked quantity even if the numbering had a gap.
    int32_t widest = 0;
    for (const auto* list : {&model.equations, &model.definitions, &model.constants})
        for (const Statement& statement : *list)
            if (IsReported(statement)) widest = std::max(widest, statement.reportIndex);
    return 1 + widest;
}

size_t ValueVectorSize(const KRMparser& model) {
    size_t size = model.equations.size();
    for (const Statement& constant : model.constants)
        if (constant.valueIndex > 0)
            size = std::max(size, static_cast<size_t>(constant.valueIndex) + 1);
    return size;
}

} // namespace

winintegrator::winintegrator(KRMparser* boundModel) : model(boundModel) {
    state = kSolverInitialise;
    maxSteps = 1000000;
    name = "base name";
    winintegrator::Reset();
}

winintegrator::~winintegrator() {
    winintegrator::Reset();
    results.Release();
}

void winintegrator::Run() {
    if (state < 0 || state >= 2) return;
    if (state == kSolverInitialise) {
        InitialiseSegment();
        return;
    }
    if (status != kStatusRunning) {
        Close();
        return;
    }
    StepSlice();
}

void winintegrator::Reset() {
    values.clear();
    FreeArray(auxValues);
    FreeArray(constValues);
    state = kSolverInitialise;
    status = kStatusRunning;
    errorIndex = 0;
    stepsSinceReport = 0;
    t0 = 0.0;
    reportInterval = 0.1;
    segmentEnd = 1.0;
    totalSpan = 0.0;
    runStart = 0.0;
    runEnd = 1.0;
    progTime = progStepSize = progMeasure = 0.0;
    progOrder = progPercent = progStepCount = 0;
    startTicks = lastProgressTicks = elapsedMs = msSinceProgress = 0;
    clockStride = 1;
    stepsSinceClock = 0;
    createResults = false;
    stoppedAtSwitch = false;
    switchTime = 0.0;
    continuation = false;
    equationSwitchesOff = false;
    switchesFound.clear();
    locks.Clear();
    switchReleased.clear();
    skipStartRow = false;
    startRowTime = std::numeric_limits<double>::quiet_NaN();
    gridStart = std::numeric_limits<double>::quiet_NaN();
    gridFirst = 1;
}

bool winintegrator::Init() {
    if (model == nullptr || model->HasErrors()) {
        Reset();
        state = kSolverModelError;
        return true;
    }
    try {
        state = kSolverInitialise;
        columns = CountColumns(*model);

        values.assign(ValueVectorSize(*model), 0.0);
        for (size_t i = 0; i < model->equations.size(); ++i)
            values[i] = model->equations[i].value;
        for (const Statement& constant : model->constants)
            if (constant.valueIndex > 0) values[constant.valueIndex] = constant.value;
        evalStack.assign(std::max<size_t>(1, model->stackDepth), 0.0);
        locks.Begin(*model);
        switchReleased.assign(model->switchingFunctions.size(), 0);
        switchesFound.assign(model->switchingFunctions.size(), 0);
        equationSwitchesOff = false;

        runStart = model->t0;
        runEnd = model->tf;
        backward = model->backward;
        t0 = runStart;
        gridStart = std::numeric_limits<double>::quiet_NaN();
        gridFirst = 1;
        continuation = false;
        // A solver used on its own integrates across switches: only a run
        // driver can continue after one.
        locateSwitches = false;

        if (model->eventIndex < model->events.size())
            segmentEnd = model->events[model->eventIndex].eventTime;
        else
            segmentEnd = model->tf;

        const double span = std::fabs(runEnd - runStart);
        reportInterval = model->hr;
        if (reportInterval > span) reportInterval = span;

        // The grid plus a start and an end row per segment; a run that needs
        // more (rounding, solver failure rows) grows the buffer in StoreRow.
        const double gridRows =
            reportInterval > 0.0 ? std::trunc(span / std::fabs(reportInterval)) : 0.0;
        const double wanted = gridRows + 3.0 * static_cast<double>(model->events.size()) + 3.0;
        const double limit = static_cast<double>(std::numeric_limits<int32_t>::max()) / columns;
        if (!(wanted < limit)) {
            results.Release();
            state = kSolverNoMemory;
            return false;
        }
        capacity = static_cast<int32_t>(wanted);
        rows = 0;
        writePosition = nullptr;
        results.Allocate(static_cast<size_t>(capacity) * static_cast<size_t>(columns));
        if (results.IsNull()) {
            state = kSolverNoMemory;
            return false;
        }
        writePosition = results.data();
        return true;
    } catch (...) {
        state = kSolverException;
        return false;
    }
}

void winintegrator::BeginRows() {
    totalSpan = std::fabs(runEnd - runStart);
    // A segment that starts without a row goes on counting toward the step
    // limit of the report interval.
    if (!skipStartRow) stepsSinceReport = 0;
    auxValues.resize(model->definitions.size());
    for (size_t j = 0; j < model->definitions.size(); ++j)
        auxValues[j] = model->definitions[j].value;
    constValues.resize(model->constants.size());
    for (size_t j = 0; j < model->constants.size(); ++j)
        constValues[j] = model->constants[j].value;
    if (evalStack.size() < std::max<size_t>(1, model->stackDepth))
        evalStack.assign(std::max<size_t>(1, model->stackDepth), 0.0);
    if (t0 == runStart && !continuation && createResults) {
        rows = 0;
        writePosition = results.data();
    }
}

size_t winintegrator::SwitchCount() const {
    if (!locateSwitches || model == nullptr) return 0;
    return equationSwitchesOff ? model->triggerSwitches : model->switchingFunctions.size();
}

bool winintegrator::Located(size_t k) const {
    if (k >= SwitchCount()) return false;
    return k < switchReleased.size() ? switchReleased[k] == 0 : true;
}

double winintegrator::EvaluateQuantityInFull(int kind, size_t index, double time, const double* y,
                                             int& error) {
    if (locks.Any()) {
        const std::vector<int32_t>& code = locks.Code(kind, index);
        if (!code.empty()) {
            const double held = model->EvaluateCode(code.data(), time, y, auxValues.data(),
                                                    constValues.data(), error, evalStack.data());
            if (error == 0) return held;
            // A trial step past a guard ("x <= 1 -> arcsech[x]") still held at
            // its old side: the live code takes the side the guard is on.
            error = 0;
        }
    }
    return model->Evaluate(kind, static_cast<int>(index), time, y, auxValues.data(),
                           constValues.data(), error, evalStack.data());
}

bool winintegrator::HoldSwitches(double time, const double* y, bool& onZero) {
    onZero = false;
    const size_t total = model->switchingFunctions.size();
    switchOnZero.assign(total, 0);
    for (size_t k = model->triggerSwitches; k < total; ++k)
        if (!Located(k)) locks.Release(*model, k);
    if (SwitchCount() <= model->triggerSwitches) return true;
    for (size_t k = model->triggerSwitches; k < total; ++k)
        switchOnZero[k] = Located(k) ? 1 : 0;
    // Every located switch is held at its value here; those whose function
    // is 0 here stay marked.
    if (!HoldZeroSwitches(time, y)) return false;
    onZero = std::find(switchOnZero.begin(), switchOnZero.end(), 1) != switchOnZero.end();
    return true;
}

bool winintegrator::HoldZeroSwitches(double time, const double* y) {
    // The values the switches have here are those of the live code.
    const size_t n = model->equations.size();
    for (size_t j = 0; j < model->definitions.size(); ++j) {
        int error = 0;
        auxValues[j] = model->Evaluate(1, static_cast<int>(j), time, y, auxValues.data(),
                                       constValues.data(), error, evalStack.data());
        if (error != 0) {
            status = error;
            errorIndex = static_cast<uint32_t>(j + n);
            return false;
        }
    }
    for (size_t k = 0; k < switchOnZero.size(); ++k) {
        if (switchOnZero[k] == 0) continue;
        const ModelSwitch& at = model->switchingFunctions[k];
        int error = 0;
        const double g = SwitchingFunction(*model, at.code, at.at, time, y, auxValues.data(),
                                           constValues.data(), error, evalStack.data());
        const double value = error != 0
                                 ? 0.0
                                 : SwitchValue(*model, at.code, at.at, time, y, auxValues.data(),
                                               constValues.data(), error, evalStack.data());
        if (error != 0) {
            status = error;
            errorIndex = static_cast<uint32_t>(n + model->definitions.size() + k);
            return false;
        }
        switchOnZero[k] = g == 0.0 ? 1 : 0;
        locks.Hold(*model, k, value != 0.0);
    }
    return true;
}

void winintegrator::ReleaseSwitch(size_t k) {
    if (k < switchReleased.size()) switchReleased[k] = 1;
    locks.Release(*model, k);
}

bool winintegrator::SwitchingValues(double time, const double* y, double* g) {
    const size_t n = model->equations.size();
    for (size_t j = 0; j < model->definitions.size(); ++j) {
        int error = 0;
        const double value = EvaluateQuantity(1, j, time, y, error);
        if (error != 0) {
            status = error;
            errorIndex = static_cast<uint32_t>(j + n);
            return false;
        }
        auxValues[j] = value;
    }
    const size_t count = SwitchCount();
    for (size_t k = 0; k < count; ++k) {
        if (!Located(k)) {
            g[k] = 1.0; // a released switch never ends a segment
            continue;
        }
        const ModelSwitch& at = model->switchingFunctions[k];
        int error = 0;
        const double value = SwitchingFunction(*model, at.code, at.at, time, y, auxValues.data(),
                                               constValues.data(), error, evalStack.data());
        if (error != 0) {
            status = error;
            errorIndex = static_cast<uint32_t>(n + model->definitions.size() + k);
            return false;
        }
        g[k] = value;
    }
    return true;
}

bool winintegrator::EnsureRowRoom() {
    if (rows < capacity && !results.IsNull()) return true;
    // Doubling keeps the number of reallocations logarithmic in the rows.
    const int64_t grown = std::max<int64_t>(2 * static_cast<int64_t>(capacity), 4);
    const int64_t limit = std::numeric_limits<int32_t>::max() / std::max(columns, 1);
    const int64_t target = std::min(grown, limit);
    if (target <= capacity) return false;
    const size_t keep = static_cast<size_t>(rows) * static_cast<size_t>(columns);
    if (!results.Grow(static_cast<size_t>(target) * static_cast<size_t>(columns), keep))
        return false;
    capacity = static_cast<int32_t>(target);
    writePosition = results.data() + keep;
    return true;
}

void winintegrator::StoreRow(double t, const double* variables) {
    if (skipStartRow) {
        skipStartRow = false;
        return;
    }
    if (!std::isnan(startRowTime)) {
        t = startRowTime;
        startRowTime = std::numeric_limits<double>::quiet_NaN();
    }
    const double storedTime = backward ? runStart - std::fabs(t - runStart) : t;
    stepsSinceReport = 0;
    if (!createResults) return;
    // A run of no length has one row: its start is its end.
    if (rows > 0 && runStart == runEnd) return;
    if (!EnsureRowRoom()) {
        // The buffer could not grow: report it as the out-of-memory outcome
        // rather than writing past the block.
        status = kSolverNoMemory;
        return;
    }
    assert(writePosition == results.data() + static_cast<size_t>(rows) * columns);

    const size_t n = model->equations.size();
    if (FindNotANumber(variables, n, errorIndex)) {
        status = kEvalDomain;
        return;
    }
    ++rows;
    double* row = writePosition;
    row[0] = storedTime;
    for (size_t i = 0; i < n; ++i)
        if (IsReported(model->equations[i])) row[model->equations[i].reportIndex] = variables[i];

    for (size_t j = 0; j < model->definitions.size(); ++j) {
        int error = 0;
        const double value =
            model->Evaluate(1, static_cast<int>(j), storedTime, variables, auxValues.data(),
                            constValues.data(), error, evalStack.data());
        if (error != 0) {
            status = error;
            errorIndex = static_cast<uint32_t>(j + n);
            --rows;
            return;
        }
        auxValues[j] = value;
        if (IsReported(model->definitions[j])) row[model->definitions[j].reportIndex] = value;
    }
    for (size_t j = 0; j < model->constants.size(); ++j)
        if (IsReported(model->constants[j])) row[model->constants[j].reportIndex] = constValues[j];
    writePosition += columns;
}

void winintegrator::EndRows() {
    elapsedMs = TickCountMs() - startTicks;
    FreeArray(auxValues);
    FreeArray(constValues);
}

void winintegrator::ReadClock() {
    constexpr int32_t kLongestStride = 64;
    constexpr int64_t kFarApartMs = 8;
    const int64_t now = TickCountMs();
    const int64_t sinceLast = now - startTicks - elapsedMs;
    if (sinceLast < 1 && clockStride < kLongestStride)
        clockStride *= 2;
    else if (sinceLast > kFarApartMs && clockStride > 1)
        clockStride /= 2;
    stepsSinceClock = 0;
    elapsedMs = now - startTicks;
    msSinceProgress = now - lastProgressTicks;
}

void winintegrator::Progress(double time, int32_t stepCount, double stepSize, int32_t order,
                             double measure) {
    if (++stepsSinceClock >= clockStride) ReadClock();
    if (++stepsSinceReport >= maxSteps) status = kStatusStepLimit;
    progTime = time;
    progStepSize = stepSize;
    progMeasure = measure;
    progOrder = order;
    progStepCount = stepCount;
    const double percent = totalSpan > 0.0 ? std::fabs(time - runStart) * 100.0 / totalSpan : 100.0;
    progPercent = percent <= 100.0 ? static_cast<int32_t>(percent) : 100;
}

double winintegrator::ReportTime(double segmentStart, int64_t k) const {
    const double origin = std::isnan(segmentStart) ? t0 : segmentStart;
    const double t = origin + static_cast<double>(k) * reportInterval;
    // Within a billionth of an interval of the end is the end: no near-duplicate last row.
    if (t >= segmentEnd - 1e-9 * std::fabs(reportInterval)) return segmentEnd;
    return t;
}

} // namespace kora

// The integrator base shared by every solver: run settings, slice state,
// outcome status, progress snapshot and the row buffer of report rows.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "double_array.h"
#include "model/krm_parser.h"
#include "model/switch_locks.h"

namespace kora {

// Solver states.
inline constexpr int8_t kSolverInitialise = 0;
inline constexpr int8_t kSolverStepping = 1;
inline constexpr int8_t kSolverFinished = 3;
inline constexpr int8_t kSolverModelError = -1;
inline constexpr int8_t kSolverNoMemory = -2;
inline constexpr int8_t kSolverException = -3;

// Solver outcome codes (`status`); evaluator codes 3..8 come from the model.
inline constexpr int32_t kStatusRunning = 0;
inline constexpr int32_t kStatusComplete = 1;
inline constexpr int32_t kStatusStopped = 2;
inline constexpr int32_t kStatusTooBig = 5;
inline constexpr int32_t kStatusTooSmall = 6;
inline constexpr int32_t kStatusStepTooSmall = 11;
inline constexpr int32_t kStatusStepLimit = 12;

// Milliseconds of a monotonic clock.
int64_t TickCountMs();

class winintegrator {
public:
    explicit winintegrator(KRMparser* model);
    virtual ~winintegrator();
    winintegrator(const winintegrator&) = delete;
    winintegrator& operator=(const winintegrator&) = delete;

    // One call of the run: state 0 starts a segment (state 1), then each call
    // takes one slice while the status is running, and the call after the
    // status changed closes the segment (state 3). Every solver runs by this
    // one machine and supplies only its three steps.
    void Run();
    virtual void Reset();

    bool Init();
    void BeginRows();
    void StoreRow(double t, const double* variables);
    void EndRows();
    // Elapsed time and time since the last progress report, from the clock.
    void ReadClock();
    void Progress(double time, int32_t stepCount, double stepSize, int32_t order, double measure);

    // The k-th report time of a segment: start + k * interval (start NaN:
    // the segment's t0), with the segment end taken for any time within 1e-9
    // of an interval of it.
    double ReportTime(double segmentStart, int64_t k) const;

    // The model's switching functions at (model time, y): g[k] = left - right
    // of switching function k, the auxiliaries computed first. False, with
    // the evaluator's code in status, when one cannot be evaluated.
    bool SwitchingValues(double time, const double* y, double* g);
    // Model time of a solver time (backward runs are integrated mirrored).
    double ModelTime(double time) const {
        return backward ? runStart - (time > runStart ? time - runStart : runStart - time) : time;
    }
    // The number of switching functions the solver locates (0 when off).
    size_t SwitchCount() const;
    // Whether switch k is located: the trigger switches always, the others
    // unless switched off together or released one by one for chattering.
    bool Located(size_t k) const;

    // Equation (kind 0) or definition `index` at (model time, y), with the
    // held switches at their held values. The fused code's common case is
    // inline, as it is most of a small model's evaluation.
    double EvaluateQuantity(int kind, size_t index, double time, const double* y, int& error) {
        double value = 0.0;
        if (!locks.Any() && model->EvaluateFused(kind, index, time, y, auxValues.data(),
                                                 constValues.data(), evalStack.data(), value)) {
            error = 0;
            return value;
        }
        return EvaluateQuantityInFull(kind, index, time, y, error);
    }
    double EvaluateQuantityInFull(int kind, size_t index, double time, const double* y, int& error);
    // At a segment's start: every located switch of an equation or a
    // definition is held at its value at (model time, y), the others are
    // live. False, with the evaluator's code in status, when one cannot be
    // evaluated; `onZero` tells whether a held switch's function is 0 there.
    bool HoldSwitches(double time, const double* y, bool& onZero);
    // The switches whose function was 0 where they were last held are held
    // again at their values at (model time, y).
    bool HoldZeroSwitches(double time, const double* y);
    // Switch k chatters: from now on it is evaluated live and not located.
    void ReleaseSwitch(size_t k);

    // Makes room for one more row, doubling the buffer when it is full.
    // False when it cannot grow.
    bool EnsureRowRoom();

    // The segment ended, without a row, where a switching function changed
    // sign: at switchTime (solver time, which runs forward), values there.
    bool stoppedAtSwitch = false;
    double switchTime = 0.0;
    bool locateSwitches = true; // off: switches are integrated through
    // Switches inside equations are integrated through (triggers are still
    // located): set when they chatter.
    bool equationSwitchesOff = false;
    // The switches found at the end of the last segment that stopped at one.
    std::vector<uint8_t> switchesFound;
    // Later segments of one run keep its rows and totals.
    bool continuation = false;
    bool skipStartRow = false; // the segment's first row is already stored
    // The first row's time when it stands for a report time the segment
    // starts on (NaN: the segment's start).
    double startRowTime = std::numeric_limits<double>::quiet_NaN();
    // The report grid: report k of a segment falls at gridStart + k * interval,
    // counted from gridFirst; gridStart NaN: the segment's start.
    double gridStart = 0.0;
    int64_t gridFirst = 1;

    uint32_t stepsSinceReport = 0;
    std::vector<double> values;
    double t0 = 0.0;
    double reportInterval = 0.1;
    double segmentEnd = 1.0;
    double tolerance = 1e-6;
    double absoluteTolerance = 0.0; // LSODA's; 0 keeps the published 1000 * ETA
    int32_t minOrder = 3;
    int32_t maxOrder = 20;
    uint32_t maxSteps = 1000000;

    double progTime = 0.0;
    double progStepSize = 0.0;
    double progMeasure = 0.0;
    int32_t progOrder = 0;
    int32_t progPercent = 0;
    int32_t progStepCount = 0;

    const char* name = "base name";
    int8_t state = kSolverInitialise;
    int32_t status = kStatusRunning;
    uint32_t errorIndex = 0;
    double totalSpan = 0.0;
    double runStart = 0.0;
    double runEnd = 1.0;
    bool createResults = false;

    int32_t columns = 0;
    int32_t capacity = 0;
    int32_t rows = 0;
    double* writePosition = nullptr;
    DoubleArray results;

    int64_t startTicks = 0;
    int64_t lastProgressTicks = 0;
    int64_t elapsedMs = 0;
    int64_t msSinceProgress = 0;
    // Steps between two readings of the clock in Progress: doubled while
    // readings come under a millisecond apart, halved when they come far
    // apart, so that fast steps do not pay for the clock and slow ones still
    // show their progress on time.
    int32_t clockStride = 1;
    int32_t stepsSinceClock = 0;

    std::vector<double> auxValues;
    std::vector<double> constValues;
    std::vector<double> evalStack; // the evaluator's stack, sized at Init
    SwitchLocks locks;
    std::vector<uint8_t> switchReleased; // per switch: chatters, evaluated live
    std::vector<uint8_t> switchOnZero;   // per switch: held where its function was 0
    bool backward = false;
    KRMparser* model = nullptr;

protected:
    // The steps of Run(); the base alone steps nothing.
    virtual void InitialiseSegment() {}
    virtual void StepSlice() {}
    virtual void Close() {}
};

} // namespace kora

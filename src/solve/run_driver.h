// One solve of a model, from its text to a stored time course and an outcome,
// cut into the steps that a front end calls: Start (build, form, Init, the
// first slice), Slice (one more slice, between which the caller may stop or
// show progress), ContinueAfterEvent (the next segment of a model with timed
// assignments) and Finish (outcome, failure detail, time course). RunToEnd
// chains them synchronously.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/document_host.h"
#include "base/time_course.h"
#include "base/winintegrator.h"
#include "model/error_display.h"
#include "model/kept_model.h"
#include "model/krm_parser.h"
#include "model/math_error.h"
#include "state_events.h"

namespace kora {

enum class SolverMethod { Taylor, Lsoda };

// An outcome category beyond the sink's model and solver families: the
// chosen solver is missing from this build.
inline constexpr int32_t kCategoryUnavailable = 3;
// The run was not started because its size was not approved.
inline constexpr int32_t kCategoryDeclined = 4;

// Asked with the built model before the solver starts; false declines the run.
using RunApproval = std::function<bool(const KRMparser& model)>;

struct RunConfiguration {
    SolverMethod method = SolverMethod::Taylor;
    bool createResults = true;      // "SolverCreateResults"
    int32_t minOrder = 2;           // "MinOrder"
    int32_t maxOrder = 20;          // "MaxOrder"
    int32_t logTolerance = 6;       // "MLogTolerance": tolerance 10^-logTolerance
    double absoluteTolerance = 0.0; // "AbsTolerance" (LSODA only); 0: the published default
    int32_t filePrecision = 7;      // "FilePrec": digits of the failure detail's arguments
    // Off: the solvers integrate through the model's switches without
    // locating them (comparisons only).
    bool locateSwitches = true;
    bool exactJacobian = false; // "ExactJacobian" (LSODA only)
};

struct RunStatistics {
    std::string method; // "taylor" or "lsoda"
    int32_t status = 0; // the solver's outcome status (or its failed Init state)
    int32_t steps = 0;
    int32_t order = 0;     // of the last step
    double stepSize = 0.0; // of the last step
    int32_t rows = 0;
    int64_t elapsedMs = 0;
    // Solver-specific counters, in the order they are shown.
    std::vector<std::pair<std::string, std::string>> extra;
};

struct RunOutcome {
    // 0 when the solution completed; kCategoryModel, kCategorySolver or
    // kCategoryUnavailable otherwise.
    int32_t category = 0;
    int32_t code = 0; // model code, solver status, or the negative Init state
    std::string context;
    std::string detail;
    RunStatistics statistics;
    std::optional<TimeCourse> timeCourse; // when rows were created

    bool Succeeded() const { return category == 0; }
};

using ProgressCallback = std::function<void(const winintegrator&)>;

// Shortest time between two progress reports while a run lasts.
inline constexpr int64_t kProgressIntervalMs = 500;

// True (and the clock restarted) when the last progress report is more than
// kProgressIntervalMs old.
bool TakeProgressDue(winintegrator& solver);

// The progress panel's numbers of a solver; a Start snapshot has only the method.
ProgressSnapshot SnapshotOf(const winintegrator& solver, const std::string& method,
                            ProgressSnapshot::Phase phase);

class RunDriver {
public:
    RunDriver(KRMparser& model, KRMForm& form, ErrorDisplay& sink);
    ~RunDriver();
    RunDriver(const RunDriver&) = delete;
    RunDriver& operator=(const RunDriver&) = delete;

    // Builds the model (and the power-law form for the Taylor method), asks
    // `approve` if given, makes and configures the solver and performs its
    // first slice. False when the run cannot start; Finish then gives the
    // outcome.
    bool Start(const TextLines& modelLines, const RunConfiguration& configuration,
               const RunApproval& approve = nullptr);
    // Start in its parts, for a caller that asks for the approval elsewhere:
    // Build (the model and the form), then Begin (the solver and its first
    // slice) or Decline. False from Build or Begin: Finish gives the outcome.
    bool Build(const TextLines& modelLines, const RunConfiguration& configuration);
    bool Begin();
    void Decline();
    // One slice. A stop request turns a stepping run into status 2.
    void Slice(bool stopRequested);
    // The current segment has closed (the solver reached state 3).
    bool SegmentFinished() const;
    // After a completed segment with a timed assignment left: applies it and
    // performs the next segment's first slice. False when the run is over.
    bool ContinueAfterEvent();
    // The finished segment ended at a switch or at a delayed event's time.
    bool SegmentEndsAtEvent() const;
    // The outcome of the finished run; fills the sink for a failure, hands
    // over the rows as a time course, resets the solver and releases the
    // model's compiled data (keeping it for the next Build to patch).
    RunOutcome Finish();

    // Start, slices, event segments and Finish in one call. `stop` is read
    // between slices; `progress` is called at most every 500 ms and once at
    // the end.
    RunOutcome RunToEnd(const TextLines& modelLines, const RunConfiguration& configuration,
                        const std::atomic<bool>* stop = nullptr,
                        const ProgressCallback& progress = nullptr);

    winintegrator* solver() const { return solver_.get(); }
    const KRMparser& model() const { return model_; }
    const RunConfiguration& configuration() const { return configuration_; }
    // The last Build took the previous model back with new values.
    bool BuiltByPatch() const { return builtByPatch_; }

private:
    bool Fail(int32_t category, int32_t code);
    bool MakeSolver();
    void Configure();
    bool RebuildFormForSegment();
    bool EventsAtStart();
    bool FailDuringRun();
    bool NextSegment(double start, bool restartGrid, bool startRow, bool constantsChanged);
    double SegmentEnd(double start) const;
    void CaptureFailureRecord();
    bool BuildFromLines(bool patched = false);
    bool FindChatteringSwitches(double time);

    KRMparser& model_;
    KRMForm& form_;
    ErrorDisplay& sink_;
    TextLines lines_; // the model keeps a pointer to the lines it was built from
    KeptModel kept_;  // the last build, for a next solve that changes only values
    bool builtByPatch_ = false;
    RunConfiguration configuration_;
    std::unique_ptr<winintegrator> solver_;
    RunOutcome pending_; // a failure found before or between segments
    bool started_ = false;
    MathErrorRecord failure_; // the evaluator's record at the failing slice
    bool failureCaptured_ = false;
    int32_t stepsOfEarlierSegments_ = 0; // a segment's solver counts from 0
    StateEvents stateEvents_{model_};
    bool discardRows_ = false;  // a model error during the run leaves no rows
    int32_t quietSwitches_ = 0; // switches in a row without an event or a row
    int32_t rowsAtLastSwitch_ = 0;
    std::vector<double> lastSwitchTimes_; // per switch: where it was last located
    std::vector<int32_t> switchRepeats_;  // per switch: located again at once, in a row
    std::vector<size_t> liveSwitches_;    // switches that chatter, for the whole run
};

// The failure detail of a solver outcome: the failing function and its
// arguments, and the quantity being computed ("ln [0] attempted while
// computing X."). Empty for outcomes without one.
std::string FailureDetail(int32_t status, uint32_t errorIndex, const MathErrorRecord& record,
                          const KRMparser& model, int digits);

// The lines of the error report for an outcome, as the error dialog shows
// them: the heading ("CRITICAL ERROR:" or the solver's name), the message with
// its context, and the detail when there is one.
std::vector<std::string> ErrorReportLines(const RunOutcome& outcome, const char* solverName);

} // namespace kora

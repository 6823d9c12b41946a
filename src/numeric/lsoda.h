// The LSODA solver of a document: integrates any model with automatic
// switching between Adams (non-stiff) and BDF (stiff) formulas, in slices of
// at most one internal step, storing report rows through the integrator base.
//
// Use: lsoda solver(&model); solver.Init(); set tolerance and createResults;
// state = 0; call Run() until state == 3. A further event segment is started
// by setting t0, segmentEnd, reportInterval and values, then state = 0.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/winintegrator.h"
#include "lsoda_engine.h"
#include "model/model_jacobian.h"

namespace kora {

// Outcome codes this solver adds to the base's.
inline constexpr int32_t kStatusMathError = 10;
inline constexpr int32_t kStatusTooMuchAccuracy = 13;
inline constexpr int32_t kStatusIllegalInput = 14;
inline constexpr int32_t kStatusErrorTestFailed = 15;
inline constexpr int32_t kStatusConvergenceFailed = 16;
inline constexpr int32_t kStatusErrorWeight = 17;
inline constexpr int32_t kStatusWorkSpace = 18;

// The size from which a sparse iteration matrix pays (measured with
// bench_stiff_sizes), and the largest share of the n x n entries it may have.
inline constexpr int32_t kSparseMinimumEquations = 200;
inline constexpr double kSparseLargestFill = 0.05;

// Counts over all segments of the current run.
struct LsodaStatistics {
    int64_t steps = 0;
    int64_t rhsEvaluations = 0;
    int64_t jacobianEvaluations = 0;
    int32_t methodInUse = 0; // at the end: 1 Adams, 2 BDF, 0 before the first step
    int64_t switchCount = 0;
    std::vector<double> switchTimes; // model times; at most 64 per segment are kept
};

class lsoda : public winintegrator,
              public LsodaRhs,
              public LsodaRootFunctions,
              public LsodaJacobian {
public:
    explicit lsoda(KRMparser* model);
    ~lsoda() override = default;

    void Reset() override;

    // The model's right-hand side: auxiliaries in definition order, then the
    // derivatives; a backward run sees mirrored times and negated derivatives.
    bool Derivatives(double time, const double* yv, double* ydot) override;
    // The model's switching functions, whose sign changes end a segment.
    bool Roots(double time, const double* yv, double* g) override;
    // The exact Jacobian of Derivatives times v.
    bool JacobianTimes(double time, const double* yv, const double* v, double* jv) override;

    // Run totals, complete after each segment closes; the live counts of the
    // segment in progress are in engine (nst, nfe, nje, mused).
    const LsodaStatistics& Statistics() const { return statistics; }

    // Integrates rhs instead of the model (tests, benchmarks); the model still
    // supplies the number of equations and the report columns. Null restores it.
    void SetRightHandSide(LsodaRhs* rhs) { rhs_ = rhs != nullptr ? rhs : this; }

    int32_t n = 0;
    int32_t istate = 1;
    int32_t itask = 1;
    int32_t iopt = 0;
    int32_t itol = 1;
    int32_t jt = 2; // 1 or 4 while the exact Jacobian is in use (full or banded)
    // The iteration matrix from the model's exact Jacobian instead of
    // differences, for models whose reads are known; set before Init.
    bool exactJacobian = false;
    // Models of at least this many equations whose Jacobian is neither
    // dense nor banded keep the iteration matrix sparse (see StartEngine).
    int32_t sparseMinimum = kSparseMinimumEquations;
    double sparseLargestFill = kSparseLargestFill;
    std::vector<double> y; // the solution at t
    double t = 0.0;
    double tout = 0.0;
    bool lastPoint = false;
    bool firstStepPending = false;
    int64_t reportIndex = 0; // tout is report time number reportIndex of the segment
    LsodaEngine engine;      // rwork, iwork, rtol, atol and the published state

private:
    void SetDefaults();
    void InitialiseSegment() override;
    void StartEngine();
    LsodaEngine::StartResult StartEngineAt(double time);
    void StartRoots();
    bool Rehold();
    bool CheckSwitches(int job);
    // One slice; anything thrown inside it ends the run as a math error.
    void StepSlice() override;
    void SteppingSlice();
    void Report();
    void FailureExit(int32_t code, int32_t publishedState);
    void Close() override;
    void AccumulateStatistics();

    LsodaStatistics statistics;
    LsodaRhs* rhs_ = this;
    std::unique_ptr<ModelJacobian> modelJacobian_;
};

} // namespace kora

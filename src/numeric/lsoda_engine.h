// The LSODA core: the published driver pieces, the single step `stoda` and its
// helpers, with every piece of state the published code keeps in common
// storage held in this object, so that any number of solvers may run at once.
//
// Index conventions follow the published routines: orders, columns of the
// Nordsieck array and the statistics slots of rwork/iwork are 1-based.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "lsoda_column_groups.h"
#include "sparse/sparse_lu.h"

namespace kora {

// The system's machine precision; the absolute tolerance is 1000 times it.
inline constexpr double kLsodaEta = 2.22044604926e-16;

// The right-hand side being integrated. Returning false reports that it
// cannot be evaluated at (t, y); the implementer records the reason. Inside a
// step not yet accepted the step is retried shorter; elsewhere, and after
// mxncf such failures in one step, the solver stops.
class LsodaRhs {
public:
    virtual ~LsodaRhs() = default;
    virtual bool Derivatives(double t, const double* y, double* ydot) = 0;
};

// The right-hand side's exact Jacobian J = df/dy, as products J v (one per
// group of columns no row reads together). False when it cannot be formed
// at (t, y); the difference Jacobian is then used for that matrix.
class LsodaJacobian {
public:
    virtual ~LsodaJacobian() = default;
    virtual bool JacobianTimes(double t, const double* y, const double* v, double* jv) = 0;
};

// Functions g(t, y) whose roots the solver locates (the root-finding
// extension of the solver family). Returning false reports that they cannot
// be evaluated; the implementer records the reason.
class LsodaRootFunctions {
public:
    virtual ~LsodaRootFunctions() = default;
    virtual bool Roots(double t, const double* y, double* g) = 0;
};

// Method coefficients of every order of one method.
struct LsodaCoefficients {
    double elco[12][13]; // elco[nq-1][i-1]: coefficient l(i) of order nq
    double tesco[12][3]; // tesco[nq-1][k-1]: test constant k of order nq
};

// Published helper routines that hold no state.
void cfode(int meth, LsodaCoefficients& table);
void ewset(int n, double rtol, double atol, const double* ycur, double* ewt);
double vmnorm(int n, const double* v, const double* w);
double fnorm(int n, const double* a, const double* w);
double bnorm(int n, const double* a, int nra, int ml, int mu, const double* w);
// fnorm of a matrix kept by columns: column j holds rows[start[j] ..
// start[j + 1]) with values at the same places; sums holds n doubles of work.
double snorm(int n, const int32_t* start, const int32_t* rows, const double* values,
             const double* w, double* sums);

// The iteration matrix of a large model whose Jacobian is neither dense nor
// banded: the pattern of `ColumnGroups` with the diagonal added, kept by
// columns and factored by SparseLu.
struct SparseIterationMatrix {
    std::vector<int32_t> start, rows; // column j: rows[start[j] .. start[j + 1])
    std::vector<int32_t> entry;       // place in values of each entry of the groups' rows
    std::vector<int32_t> diagonal;    // place in values of (j, j)
    std::vector<double> values, rowSums;
    SparseLu factors;

    // Builds the pattern from the groups' rows and analyses it; false when
    // the factorisation is unavailable or fails to analyse.
    bool Prepare(int32_t n, const ColumnGroups& groups);
};

class LsodaEngine {
public:
    enum class StartResult { Ok, IllegalInput, RhsFailed };
    enum class CheckResult { Ok, TooManySteps, ErrorWeight, TooMuchAccuracy, IllegalInput };
    enum class StepResult { Ok, ErrorTestFailed, ConvergenceFailed, RhsFailed };

    // Fixed options of this system (itol 1, jt 2, iopt 0 with these values).
    static constexpr int kMxstep = 100000;
    static constexpr int kMxhnil = 10;
    static constexpr int kMxordn = 12;
    static constexpr int kMxords = 5;
    static constexpr int kJt = 2;

    // Published work-array lengths for the full-Jacobian stiff method and the
    // order-12 Adams method, so that both methods always fit.
    static int RealWorkLength(int n, int matrixRows);
    static int IntWorkLength(int n) { return 20 + n; }

    // Sizes the work arrays for n equations; the only allocation of a run.
    // A band matrix needs only its rows per column, `matrixRows`; -1: n.
    void Allocate(int n, int matrixRows = -1);
    void Release();

    // The published first call (istate 1): checks, first evaluation of f into
    // the second Nordsieck column, error weights and the initial step size.
    StartResult Start(LsodaRhs& f, double t, double tout, const double* y, double rtol,
                      double atol);

    // Checks made before every step: step limit per output interval, error
    // weights, accuracy against machine precision, t + h = t.
    CheckResult CheckBeforeStep(bool firstStep);

    // One internal step (`stoda`) and the driver's method-switch bookkeeping.
    // RhsFailed: the right-hand side failed where the step cannot be shortened
    // around it, or in mxncf attempts.
    StepResult Step(LsodaRhs& f);

    // A new output interval begins: the step limit counts from here.
    void BeginInterval() { nslast = nst; }
    // The current internal time has passed tout.
    bool Reached(double tout) const { return (tn - tout) * h >= 0.0; }
    // A new output interval up to tout, stepped until the internal time
    // passes it: false when a check or a step fails, or when nst reaches
    // `stepLimit` in all. Drivers that need only the solution at given times
    // (the steady-state fallback, fitting) use this instead of the slices.
    bool StepPast(LsodaRhs& f, double tout, bool& firstStep, int stepLimit = INT_MAX) {
        BeginInterval();
        while (!Reached(tout)) {
            if (nst >= stepLimit || CheckBeforeStep(firstStep) != CheckResult::Ok) return false;
            firstStep = false;
            if (Step(f) != StepResult::Ok) return false;
        }
        return true;
    }
    // Interpolated k-th derivative at t from the Nordsieck array; iflag 0 when legal.
    int intdy(double t, int k, double* dky) const;
    // The solution at tn (first Nordsieck column).
    void CurrentSolution(double* y) const;
    // Loads the published optional outputs into rwork and iwork.
    void LoadStatistics();
    // After a failed step: the component with the largest weighted local error.
    void RecordLargestError();

    // Published optional outputs (rwork(11..15), iwork(11..20)); 0 once the
    // work arrays are released at the end of a segment.
    double RealOutput(int index) const {
        return index >= 1 && index <= static_cast<int>(rwork.size()) ? rwork[index - 1] : 0.0;
    }
    int32_t IntOutput(int index) const {
        return index >= 1 && index <= static_cast<int>(iwork.size()) ? iwork[index - 1] : 0;
    }

    // Unit roundoff of the difference increments and step tests. The machine's
    // own value, as the published code asks the machine for it: the 12-digit
    // kLsodaEta differs by 4e-12 relative and that alone moves the finite-
    // difference Jacobian, and with it the step sequence of stiff runs.
    double unitRoundoff = std::numeric_limits<double>::epsilon();

    // Work arrays with the published layout.
    std::vector<double> rwork;
    std::vector<int32_t> iwork;
    std::vector<double> ywork; // the y argument of f and of the corrector

    // Columns the difference Jacobian may perturb together; empty: one at
    // a time. Set after Allocate, for the segment's right-hand side only.
    ColumnGroups columnGroups;
    // Lower and upper bandwidths when the matrix is kept and factored as a
    // band (only with columnGroups set); -1: a full matrix.
    int32_t bandLower = -1, bandUpper = -1;
    // Set (before Allocate, which then needs no matrix space): the iteration
    // matrix is kept sparse. Only with columnGroups and no band.
    std::unique_ptr<SparseIterationMatrix> sparse;
    // Set: the iteration matrix takes the exact Jacobian (the published
    // user-supplied path, full or banded) instead of differences.
    LsodaJacobian* exactJacobian = nullptr;
    int BandRows() const { return 2 * bandLower + bandUpper + 1; }
    int lrw = 0, liw = 0;
    int lyh = 21, lewt = 0, lsavf = 0, lacor = 0, lwm = 0, liwm = 1;

    // Driver state (published common storage of the driver).
    double rtol = 0.0, atol = 0.0, tolsf = 0.0, tsw = 0.0;
    int illin = 0, nhnil = 0, nslast = 0, nyh = 0, mxstep = kMxstep, mxhnil = kMxhnil;
    int insufr = 0, insufi = 0;

    // Communication between the routines (published common ls0001/lsa001).
    double ccmax = 0.3, el0 = 1.0, h = 0.0, hmin = 0.0, hmxi = 0.0, hu = 0.0, rc = 0.0;
    double tn = 0.0, uround = kLsodaEta, pdnorm = 0.0;
    int icf = 0, ierpj = 0, iersl = 0, jcur = 0, jstart = 0, kflag = 0, l = 0, meth = 1;
    int miter = 0, maxord = kMxordn, maxcor = 3, msbp = 20, mxncf = 10, n = 0, nq = 0;
    int nst = 0, nfe = 0, nje = 0, nqu = 0, jtyp = kJt, mused = 0;
    int mxordn = kMxordn, mxords = kMxords;

    // stoda's own variables, kept between steps.
    double conit = 0.0, crate = 0.0, hold = 0.0, rmax = 0.0;
    double el[13] = {};
    LsodaCoefficients coef = {};
    int ialth = 0, ipup = 0, lmax = 0, nqnyh = 0, nslp = 0;
    double pdest = 0.0, pdlast = 0.0, ratio = 0.0;
    double cm1[12] = {}, cm2[5] = {};
    int icount = 0, irflag = 0;
    std::vector<double> groupSaved, groupIncrement; // one entry per column of a group

    // Views of the work arrays (published layout, 1-based indices in YH).
    double* yh() { return rwork.data() + (lyh - 1); }
    const double* yh() const { return rwork.data() + (lyh - 1); }
    double& YH(int i, int j) { return rwork[lyh - 1 + (j - 1) * nyh + (i - 1)]; }
    double YH(int i, int j) const { return rwork[lyh - 1 + (j - 1) * nyh + (i - 1)]; }
    double* ewt() { return rwork.data() + (lewt - 1); }
    double* savf() { return rwork.data() + (lsavf - 1); }
    double* acor() { return rwork.data() + (lacor - 1); }
    double* wm() { return rwork.data() + (lwm - 1); }
    int32_t* iwm() { return iwork.data() + (liwm - 1); }

    // Root finding. rchek's results: no root, a root at rootT0 with y there,
    // g identically zero at and near the start, or g could not be evaluated.
    enum class RootResult { None, Found, ZeroAtStart, Failed };
    // Sizes the root arrays for ng functions (0: no root finding).
    void AllocateRoots(int ng);
    // Looks for a root: job 1 at the start of the integration, job 2 when a
    // new output interval begins, job 3 after a successful step. y is work
    // space; on Found it holds the solution at the root, rootT0.
    RootResult rchek(int job, LsodaRootFunctions& g, double* y);
    // Moves a root found where a g is exactly zero a roundoff step on, as
    // rchek does on continuation; y holds the solution there.
    void StepPastRoot(double* y);
    // The leftmost sign change of the g in (x0, x1) by the Illinois
    // algorithm, one g evaluation per call (jflag 1 asks for g at x).
    void roots(double hmin, int& jflag, double& x0, double& x1, double* g0v, double* g1v,
               double* gxv, double& x);

    // Root-finding state (published common storage of the extension).
    int ngc = 0, nge = 0, irfnd = 0;
    double rootT0 = 0.0, tlast = 0.0, toutc = 0.0;
    double alpha = 0.0, x2 = 0.0;
    int imax = 0, last = 0;
    std::vector<double> g0, g1, gx;
    std::vector<int32_t> jroot;

    // Method switches of this segment, with the times of the first
    // kRecordedSwitches of them (kept without allocating during steps).
    static constexpr size_t kRecordedSwitches = 64;
    int64_t switchCount = 0;
    std::vector<double> switchTimes;

private:
    struct StodaCall;

    // Loads and inverts the error weights; false when one is <= 0.
    bool LoadWeights();
    void stoda(LsodaRhs& f, bool& rhsFailed);
    bool prja(LsodaRhs& f);
    bool DifferenceColumns(LsodaRhs& f, double r0, double* matrix);
    bool GroupedColumns(LsodaRhs& f, double r0, double* matrix);
    bool ExactColumns(double* matrix);
    double* ColumnStart(int32_t j, double* matrix) const;
    void StoreColumn(int32_t j, double fac, const double* ftem, const double* sf,
                     double* matrix) const;
    void solsy(double* x);
    void AfterSuccessfulStep();

    void FirstStepSetup(StodaCall& s);
    void Predict();
    void Retract();
    bool ChangeStepSize(StodaCall& s);
    bool AdamsToBdfTest(StodaCall& s);
    bool BdfToAdamsTest(StodaCall& s);
    void OrderFactors(StodaCall& s);
};

} // namespace kora

#include <algorithm>
#include <cassert>
#include <cmath>

#include "lsoda_engine.h"

// The parts of the published driver that surround each step, for itask 1,
// itol 1, jt 2 and no optional inputs. The caller sequences them into slices.

namespace kora {

int LsodaEngine::RealWorkLength(int n, int matrixRows) {
    return std::max(22 + 9 * n + matrixRows * n, 20 + 16 * n);
}

void LsodaEngine::Allocate(int neq, int matrixRows) {
    n = neq;
    nyh = n;
    if (matrixRows < 0) matrixRows = n;
    lrw = RealWorkLength(n, matrixRows);
    liw = IntWorkLength(n);
    rwork.assign(static_cast<size_t>(lrw), 0.0);
    iwork.assign(static_cast<size_t>(liw), 0);
    ywork.assign(static_cast<size_t>(n), 0.0);
    groupSaved.assign(static_cast<size_t>(n), 0.0);
    groupIncrement.assign(static_cast<size_t>(n), 0.0);
    columnGroups = ColumnGroups{};
    bandLower = bandUpper = -1;

    // Segments of rwork in order: yh, wm, ewt, savf, acor. The matrix shares
    // the space of the Adams columns above order 5, which BDF never uses.
    lyh = 21;
    const int len1n = 20 + (mxordn + 1) * nyh;
    int len1s = 20 + (mxords + 1) * nyh;
    lwm = len1s + 1;
    len1s = len1s + matrixRows * n + 2;
    const int len1 = std::max(len1n, len1s);
    lewt = len1 + 1;
    lsavf = lewt + n;
    lacor = lsavf + n;
    liwm = 1;
    iwork[16] = lrw;
    iwork[17] = liw;

    nst = nfe = nje = nqu = mused = 0;
    hu = 0.0;
    switchCount = 0;
    switchTimes.clear();
    switchTimes.reserve(kRecordedSwitches);
}

void LsodaEngine::Release() {
    std::vector<double>().swap(rwork);
    std::vector<int32_t>().swap(iwork);
    std::vector<double>().swap(ywork);
    std::vector<double>().swap(groupSaved);
    std::vector<double>().swap(groupIncrement);
    columnGroups = ColumnGroups{};
    bandLower = bandUpper = -1;
    sparse.reset();
    std::vector<double>().swap(switchTimes);
}

LsodaEngine::StartResult LsodaEngine::Start(LsodaRhs& f, double t, double tout, const double* y,
                                            double relTol, double absTol) {
    assert(static_cast<int>(ywork.size()) == n);
    rtol = relTol;
    atol = absTol;
    if (rtol < 0.0 || atol < 0.0 || n <= 0) return StartResult::IllegalInput;
    mxstep = kMxstep;
    mxhnil = kMxhnil;
    hmxi = 0.0;
    hmin = 0.0;
    mxordn = kMxordn;
    mxords = kMxords;
    jtyp = kJt;
    meth = 1;
    insufr = insufi = 0;

    uround = unitRoundoff;
    tn = t;
    tsw = t;
    maxord = mxordn;
    jstart = 0;
    nhnil = 0;
    nst = 0;
    nje = 0;
    nslast = 0;
    hu = 0.0;
    nqu = 0;
    mused = 0;
    miter = 0;
    ccmax = 0.3;
    maxcor = 3;
    msbp = 20;
    mxncf = 10;

    // First derivative straight into the second Nordsieck column.
    double* f0 = &YH(1, 2);
    if (!f.Derivatives(t, y, f0)) return StartResult::RhsFailed;
    nfe = 1;
    for (int i = 1; i <= n; ++i)
        YH(i, 1) = y[i - 1];
    nq = 1;
    h = 1.0;
    if (!LoadWeights()) return StartResult::IllegalInput;

    // Initial step: h0^-2 = 1/(tol w0^2) + tol ||f||^2, at most |tout - t|.
    const double tdist = std::fabs(tout - t);
    const double w0 = std::max(std::fabs(t), std::fabs(tout));
    if (tdist < 2.0 * uround * w0) return StartResult::IllegalInput;
    double tol = rtol;
    if (!(tol > 0.0))
        for (int i = 0; i < n; ++i) {
            const double ayi = std::fabs(y[i]);
            if (ayi != 0.0) tol = std::max(tol, atol / ayi);
        }
    tol = std::max(tol, 100.0 * uround);
    tol = std::min(tol, 0.001);
    double sum = vmnorm(n, f0, ewt());
    sum = 1.0 / (tol * w0 * w0) + tol * (sum * sum);
    double h0 = 1.0 / std::sqrt(sum);
    h0 = std::min(h0, tdist);
    h0 = tout - t >= 0.0 ? std::fabs(h0) : -std::fabs(h0);
    const double rh = std::fabs(h0) * hmxi;
    if (rh > 1.0) h0 = h0 / rh;

    h = h0;
    for (int i = 0; i < n; ++i)
        f0[i] = h0 * f0[i];
    return StartResult::Ok;
}

LsodaEngine::CheckResult LsodaEngine::CheckBeforeStep(bool firstStep) {
    // The first step uses the weights the start computed from the same y.
    if (!firstStep) {
        if (nst - nslast >= mxstep) return CheckResult::TooManySteps;
        if (!LoadWeights()) return CheckResult::ErrorWeight;
    }
    tolsf = uround * vmnorm(n, yh(), ewt());
    if (tolsf > 0.01) {
        tolsf = tolsf * 200.0;
        rwork[13] = tolsf;
        return nst == 0 ? CheckResult::IllegalInput : CheckResult::TooMuchAccuracy;
    }
    // t + h = t only warns in the published driver; messages are off here.
    if (tn + h == tn) nhnil = nhnil + 1;
    return CheckResult::Ok;
}

LsodaEngine::StepResult LsodaEngine::Step(LsodaRhs& f) {
    bool rhsFailed = false;
    stoda(f, rhsFailed);
    if (rhsFailed) return StepResult::RhsFailed;
    switch (kflag) {
    case 0:
        AfterSuccessfulStep();
        return StepResult::Ok;
    case -1:
        RecordLargestError();
        return StepResult::ErrorTestFailed;
    default:
        // -2; -3 (a fatal matrix error) cannot arise with a full difference
        // Jacobian, whose factorisation only reports singularity (-> -2).
        RecordLargestError();
        return StepResult::ConvergenceFailed;
    }
}

// A method switch made in this step: record it and let the next stoda call
// finish the switch (new coefficients, new maximum order).
void LsodaEngine::AfterSuccessfulStep() {
    if (meth == mused) return;
    tsw = tn;
    maxord = meth == 2 ? mxords : mxordn;
    if (meth == 2) wm()[0] = std::sqrt(uround);
    insufr = std::min(insufr, 1);
    insufi = std::min(insufi, 1);
    jstart = -1;
    ++switchCount;
    if (switchTimes.size() < switchTimes.capacity()) switchTimes.push_back(tn);
}

void LsodaEngine::RecordLargestError() {
    double big = 0.0;
    int imxer = 1;
    const double* ac = acor();
    const double* w = ewt();
    for (int i = 1; i <= n; ++i) {
        const double size = std::fabs(ac[i - 1] * w[i - 1]);
        if (big >= size) continue;
        big = size;
        imxer = i;
    }
    iwork[15] = imxer;
}

void LsodaEngine::LoadStatistics() {
    rwork[10] = hu;
    rwork[11] = h;
    rwork[12] = tn;
    rwork[14] = tsw;
    iwork[10] = nst;
    iwork[11] = nfe;
    iwork[12] = nje;
    iwork[13] = nqu;
    iwork[14] = nq;
    iwork[18] = mused;
    iwork[19] = meth;
}

} // namespace kora

#include "krm_form_integrator.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <new>

#include "model/krm_parser.h"
#include "model/math_error.h"

namespace kora {

namespace {

constexpr double kExpOverflow = 709.78;
constexpr double kExpUnderflow = -708.4;
constexpr double kTiny = 2.2250738585072014e-308;

// Frees a vector's storage, not just its contents.
template <typename T> void FreeVector(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

double OrderThreshold(int32_t k) {
    const double kd = k;
    return kd * (kd - 1.0) * std::log(1.0 + 0.33 / (1.0 + 0.19 * (kd - 3.0)));
}

double LogOfCoefficient(double maxAbs, int32_t order) {
    return maxAbs >= kTiny ? std::log(maxAbs / order) : kExpUnderflow;
}

// (-1)^e truncated; a fractional power of -1 has no real value, and the
// run-time library's error hook answers 1 there.
double SignFactor(double exponent) {
    if (exponent != std::trunc(exponent)) return 1.0;
    return std::fmod(std::fabs(exponent), 2.0) == 1.0 ? -1.0 : 1.0;
}

} // namespace

KRMForm_integrator::KRMForm_integrator(KRMparser* boundModel, KRMForm* boundForm)
    : winintegrator(boundModel), form(boundForm) {
    name = "Taylor method solver.";
    minOrder = 3;
    maxOrder = 20;
}

KRMForm_integrator::~KRMForm_integrator() {
    FreeTables();
}

void KRMForm_integrator::Reset() {
    winintegrator::Reset();
    FreeTables();
    if (form != nullptr) form->Clear();
    minOrder = 3;
    maxOrder = 20;
    n = 0;
    scaleFloor = 1.0;
    tNow = tReport = logTol = 0.0;
    stepCount = 0;
}

void KRMForm_integrator::FreeTables() {
    FreeVector(g0_);
    FreeVector(g1_);
    FreeVector(gx_);
    FreeVector(switchState_);
    FreeVector(doubleBlock_);
    FreeVector(intBlock_);
    FreeVector(codeBlock_);
    y_ = w_ = z_ = slots_ = orderThreshold_ = constTermValue_ = expTermFactor_ = output_ = nullptr;
    negative_ = expTermCount_ = constTermCount_ = nullptr;
    loads_ = adds_ = nullptr;
    expCount_ = constCount_ = addCount_ = 0;
}

void KRMForm_integrator::Close() {
    EndRows();
    FreeTables();
    state = kSolverFinished;
}

void KRMForm_integrator::InitialiseSegment() {
    status = kStatusRunning;
    errorIndex = 0;
    n = static_cast<uint32_t>(form->size());
    bool ready = false;
    try {
        const KRMForm_compactor compactor(*form);
        ready = LayOutTables(compactor) && FoldCoefficients(compactor);
    } catch (const std::bad_alloc&) {
        status = kSolverNoMemory;
    }
    stepCount = 0;
    tNow = t0;
    reportCount_ = gridFirst;
    tReport = ReportTime(gridStart, reportCount_);
    stoppedAtSwitch = false;
    logTol = -std::log(tolerance);
    state = kSolverStepping;
    if (!ready) {
        if (status == kStatusRunning) status = kSolverException;
        return;
    }
    BeginRows();
    StoreRow(t0, values.data());
    StartSwitches();
}

bool KRMForm_integrator::LayOutTables(const KRMForm_compactor& compactor) {
    // The form must describe the model being stored, and its independent
    // positions must lie in the value vector.
    if (n != model->equations.size() || values.size() < n) return false;
    for (const TermPlan& plan : compactor.plans)
        for (const auto& entry : plan.term->exponents)
            if (entry.first >= values.size()) return false;

    top_ = std::min(std::max({2, minOrder, maxOrder}), kTaylorOrderCeiling);
    expCount_ = compactor.FormCount();
    addCount_ = compactor.AddCount();
    constCount_ = compactor.plans.size() - expCount_;
    const size_t rowsOfY = static_cast<size_t>(top_) + 1;
    const size_t rowsOfWZ = static_cast<size_t>(top_);

    doubleBlock_.assign(rowsOfY * n + 2 * rowsOfWZ * expCount_ + expCount_ + rowsOfY + constCount_ +
                            expCount_ + n,
                        0.0);
    double* next = doubleBlock_.data();
    auto take = [&next](size_t count) {
        double* start = next;
        next += count;
        return start;
    };
    y_ = take(rowsOfY * n);
    w_ = take(rowsOfWZ * expCount_);
    z_ = take(rowsOfWZ * expCount_);
    slots_ = take(expCount_);
    orderThreshold_ = take(rowsOfY);
    constTermValue_ = take(constCount_);
    expTermFactor_ = take(expCount_);
    output_ = take(n);

    intBlock_.assign(3 * static_cast<size_t>(n), 0);
    negative_ = intBlock_.data();
    expTermCount_ = negative_ + n;
    constTermCount_ = expTermCount_ + n;

    codeBlock_.resize(expCount_ + addCount_);
    loads_ = codeBlock_.data();
    adds_ = loads_ + expCount_;
    compactor.Compile(loads_, adds_);

    for (int32_t k = 2; k <= top_; ++k)
        orderThreshold_[k] = OrderThreshold(k);
    return true;
}

bool KRMForm_integrator::FoldCoefficients(const KRMForm_compactor& compactor) {
    for (uint32_t i = 0; i < n; ++i) {
        negative_[i] = values[i] <= 0.0 ? 1 : 0;
        Y(0)[i] = negative_[i] ? std::log(-values[i]) : std::log(values[i]);
    }
    // Backward runs integrate the mirrored, forward-running problem.
    const double direction = backward ? -1.0 : 1.0;
    scaleFloor = 1.0;
    size_t constTerm = 0;
    for (const TermPlan& plan : compactor.plans) {
        double c = direction * plan.term->coefficient;
        // A term without its own variable gains the exponent -1 on it.
        if (negative_[plan.equation] && plan.term->exponents.count(plan.equation) == 0) c = -c;
        for (const auto& [index, exponent] : plan.term->exponents) {
            if (index < n) {
                const double remaining = index == plan.equation ? exponent - 1.0 : exponent;
                if (negative_[index] && remaining != 0.0) c *= SignFactor(remaining);
                continue;
            }
            const double base = values[index];
            const double power = std::pow(base, exponent);
            if (!std::isfinite(power)) {
                // A constant that cannot be raised to its kinetic order would
                // silently become a wrong coefficient; fail like the evaluator.
                MathErrorRecord& record = CurrentMathError();
                record = MathErrorRecord{MathErrorKind::Domain, "pow", base, exponent, 2};
                status = kEvalPower;
                errorIndex = plan.equation;
                return false;
            }
            c *= power;
        }
        if (plan.slot < 0) {
            constTermValue_[constTerm++] = c;
            ++constTermCount_[plan.equation];
            scaleFloor = std::max(scaleFloor, std::fabs(c));
        } else {
            expTermFactor_[plan.slot] = c;
            ++expTermCount_[plan.equation];
        }
    }
    return true;
}

double KRMForm_integrator::ComputeTermValues() {
    Forms(Y(0), slots_);
    double largest = 0.0;
    double* w0 = W(0);
    for (size_t m = 0; m < expCount_; ++m) {
        const double z = slots_[m];
        const double c = expTermFactor_[m];
        double w;
        if (c == 0.0)
            w = 0.0;
        else if (z > kExpOverflow)
            w = std::copysign(DBL_MAX, c);
        else if (z < kExpUnderflow)
            w = std::copysign(kTiny, c);
        else if (z == 0.0)
            w = c;
        else
            w = c * std::exp(z);
        w0[m] = w;
        largest = std::max(largest, std::fabs(w));
    }
    return largest;
}

// target[i] = sum of the row's entries over the exponential terms of i.
void KRMForm_integrator::SumTermsInto(const double* termRow, double* target) const {
    size_t m = 0;
    for (uint32_t i = 0; i < n; ++i) {
        double sum = 0.0;
        for (const size_t end = m + static_cast<size_t>(expTermCount_[i]); m < end; ++m)
            sum += termRow[m];
        target[i] = sum;
    }
}

double KRMForm_integrator::MaxAbs(const double* row) const {
    double largest = 0.0;
    for (uint32_t i = 0; i < n; ++i)
        largest = std::max(largest, std::fabs(row[i]));
    return largest;
}

// W[K] = (1/K) * sum_{j<K} W[j] * Z[K-1-j], term by term. Four terms at a
// time, each summed in a register in ascending j: no store per product and
// four independent chains for the pipeline.
void KRMForm_integrator::CombineOrder(int32_t K) {
    double* wk = W(K);
    const double inverse = 1.0 / K;
    const size_t stride = expCount_;
    const double* w0 = W(0);
    const double* zLast = Z(K - 1);
    size_t m = 0;
    for (; m + 4 <= expCount_; m += 4) {
        double a0 = 0.0, a1 = 0.0, a2 = 0.0, a3 = 0.0;
        const double* wj = w0 + m;
        const double* zj = zLast + m;
        for (int32_t j = 0; j < K; ++j, wj += stride, zj -= stride) {
            a0 += wj[0] * zj[0];
            a1 += wj[1] * zj[1];
            a2 += wj[2] * zj[2];
            a3 += wj[3] * zj[3];
        }
        wk[m] = a0 * inverse;
        wk[m + 1] = a1 * inverse;
        wk[m + 2] = a2 * inverse;
        wk[m + 3] = a3 * inverse;
    }
    for (; m < expCount_; ++m) {
        double a = 0.0;
        const double* wj = w0 + m;
        const double* zj = zLast + m;
        for (int32_t j = 0; j < K; ++j, wj += stride, zj -= stride)
            a += *wj * *zj;
        wk[m] = a * inverse;
    }
}

// out[i] = Y[0][i] + tau*(Y[1][i] + tau*(... + tau*Y[K][i])) by Horner's rule;
// out must not be a row of Y.
void KRMForm_integrator::EvaluateSeries(int32_t K, double tau, double* out) const {
    const double* yk = Y(K);
    for (uint32_t i = 0; i < n; ++i)
        out[i] = yk[i];
    for (int32_t j = K - 1; j >= 0; --j) {
        const double* yj = Y(j);
        for (uint32_t i = 0; i < n; ++i)
            out[i] = out[i] * tau + yj[i];
    }
}

void KRMForm_integrator::StepSlice() {
    // Term values and the time scale that keeps them at most 1 in size.
    const double largest = ComputeTermValues();
    const double s = 1.0 / std::max(scaleFloor, largest);
    double* w0 = W(0);
    for (size_t m = 0; m < expCount_; ++m)
        w0[m] *= s;

    double* y1 = Y(1);
    SumTermsInto(w0, y1);
    size_t c = 0;
    for (uint32_t i = 0; i < n; ++i)
        for (int32_t k = 0; k < constTermCount_[i]; ++k)
            y1[i] += s * constTermValue_[c++];

    Forms(y1, Z(0));
    const double* z0 = Z(0);
    double* w1 = W(1);
    for (size_t m = 0; m < expCount_; ++m)
        w1[m] = z0[m] * w0[m];
    SumTermsInto(w1, Y(2));

    double measure = MaxAbs(Y(2));
    double lambda = measure >= kTiny ? std::log(0.5 * measure) : kExpUnderflow;
    double lambdaPrev = 0.0;
    int32_t K = 2;
    // Unsigned, as the order limits are compared; capped at the tables' size.
    const auto lowest =
        static_cast<int32_t>(std::min<uint32_t>(static_cast<uint32_t>(minOrder), top_));
    const auto highest =
        static_cast<int32_t>(std::min<uint32_t>(static_cast<uint32_t>(maxOrder), top_));
    while (K < lowest ||
           (K * (lambdaPrev - lambda) + logTol + lambda >= orderThreshold_[K] && K < highest)) {
        Forms(Y(K), Z(K - 1));
        CombineOrder(K);
        ++K;
        SumTermsInto(W(K - 1), Y(K));
        lambdaPrev = lambda;
        measure = MaxAbs(Y(K));
        lambda = LogOfCoefficient(measure, K);
    }
    for (int32_t j = 2; j <= K; ++j) {
        double* yj = Y(j);
        const double inverse = 1.0 / j;
        for (uint32_t i = 0; i < n; ++i)
            yj[i] *= inverse;
    }

    double logStep = std::log(s) - (logTol + lambda) / K;
    if (logStep > kExpOverflow) logStep = 708.78;
    const double h = std::exp(logStep);
    if (!(h > 0.0) || tNow + h == tNow) {
        status = kStatusStepTooSmall;
        tReport = tNow + (h > 0.0 ? h : 0.0);
    }
    const double tNew = tNow + h;
    ++stepCount;
    Progress(tNew, stepCount, h, K, measure);

    if (status == kStatusRunning) {
        double tSwitch = 0.0;
        if (LocateSwitch(K, s, h, tSwitch)) {
            if (StoreReportRows(K, s, tSwitch, true)) StopAtSwitch(K, s, tSwitch);
            return;
        }
        if (status != kStatusRunning) return; // a switching function failed
    }
    if (!StoreReportRows(K, s, tNew)) return;
    if (status == kStatusRunning) {
        tNow = tNew;
        // Through the scratch row: the series reads Y[0] while it is summed.
        EvaluateSeries(K, h / s, output_);
        std::copy_n(output_, n, Y(0));
    }
}

// Stores every report row up to tNew from the current series. False when the
// step must end here (a failure, or the segment's last row).
bool KRMForm_integrator::StoreReportRows(int32_t K, double s, double tNew, bool beforeSwitch) {
    while (beforeSwitch ? tReport < tNew : tNew >= tReport) {
        const bool last = tReport == segmentEnd;
        EvaluateSeries(K, (tReport - tNow) / s, output_);
        for (uint32_t i = 0; i < n; ++i) {
            if (output_[i] > kExpOverflow || output_[i] < kExpUnderflow) {
                status = output_[i] > kExpOverflow ? kStatusTooBig : kStatusTooSmall;
                errorIndex = i;
                return false;
            }
        }
        for (uint32_t i = 0; i < n; ++i) {
            output_[i] = negative_[i] ? -std::exp(output_[i]) : std::exp(output_[i]);
            if (last) values[i] = output_[i];
        }
        StoreRow(tReport, output_);
        if (status != kStatusRunning) return false;
        if (last) {
            status = kStatusComplete;
            return false;
        }
        tReport = ReportTime(gridStart, ++reportCount_);
    }
    return true;
}

} // namespace kora

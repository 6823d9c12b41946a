// The Taylor-series solver for power-law forms. It integrates the logarithms
// of the variables, where every term is the exponential of a linear form, so
// Taylor coefficients of any order follow from a short recurrence; the order
// and the step length are chosen per step from the coefficients' size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/winintegrator.h"
#include "krm_form_compactor.h"
#include "model/gma_form.h"

namespace kora {

class KRMForm_integrator : public winintegrator {
public:
    KRMForm_integrator(KRMparser* model, KRMForm* form);
    ~KRMForm_integrator() override;

    void Reset() override;

    int32_t StepCount() const { return stepCount; }
    // The highest order the coefficient tables hold.
    int32_t TableOrder() const { return top_; }

    KRMForm* form = nullptr;
    uint32_t n = 0;
    double scaleFloor = 1.0;
    double tNow = 0.0;
    double tReport = 0.0;
    double logTol = 0.0;
    int32_t stepCount = 0;

private:
    void InitialiseSegment() override;
    bool LayOutTables(const KRMForm_compactor& compactor);
    bool FoldCoefficients(const KRMForm_compactor& compactor);
    void StepSlice() override;
    void Close() override;
    void FreeTables();

    double ComputeTermValues();
    void SumTermsInto(const double* termRow, double* target) const;
    double MaxAbs(const double* row) const;
    void CombineOrder(int32_t K);
    void EvaluateSeries(int32_t K, double tau, double* out) const;
    bool StoreReportRows(int32_t K, double s, double tNew, bool beforeSwitch = false);
    void StartSwitches();
    bool SwitchesAt(int32_t K, double s, double t, std::vector<double>& g);
    bool LocateSwitch(int32_t K, double s, double h, double& tSwitch);
    void StopAtSwitch(int32_t K, double s, double tSwitch);

    double* Y(int32_t k) const { return y_ + static_cast<size_t>(k) * n; }
    double* W(int32_t k) const { return w_ + static_cast<size_t>(k) * expCount_; }
    double* Z(int32_t k) const { return z_ + static_cast<size_t>(k) * expCount_; }
    void Forms(const double* y, double* out) const {
        EvaluateLinearForms(loads_, expCount_, adds_, addCount_, y, out);
    }

    // Switching functions at the step's start, end and a trial point, and
    // the state there (sized at the segment's start).
    std::vector<double> g0_, g1_, gx_, switchState_;

    // The three blocks of a segment: doubles, integers, instructions.
    std::vector<double> doubleBlock_;
    std::vector<int32_t> intBlock_;
    std::vector<LinearInstruction> codeBlock_;

    int32_t top_ = 0; // tables hold orders 0..top_
    size_t expCount_ = 0;
    size_t constCount_ = 0;
    size_t addCount_ = 0;
    int64_t reportCount_ = 0; // index of tReport on the segment's grid

    double* y_ = nullptr;
    double* w_ = nullptr;
    double* z_ = nullptr;
    double* slots_ = nullptr;
    double* orderThreshold_ = nullptr;
    double* constTermValue_ = nullptr;
    double* expTermFactor_ = nullptr;
    double* output_ = nullptr;
    int32_t* negative_ = nullptr;
    int32_t* expTermCount_ = nullptr;
    int32_t* constTermCount_ = nullptr;
    LinearInstruction* loads_ = nullptr;
    LinearInstruction* adds_ = nullptr;
};

// Orders above this make no numerical sense and would only size huge tables.
inline constexpr int32_t kTaylorOrderCeiling = 200;

} // namespace kora

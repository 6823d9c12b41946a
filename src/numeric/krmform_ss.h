// Steady state of a document's model: the state itself, the eigenvalues of
// the Jacobian there and, for a power-law form, fluxes and logarithmic
// sensitivities (log gains) to every parameter.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "model/gma_form.h"
#include "model/krm_parser.h"
#include "ss_conservation.h"

namespace kora {

// Status flags of a computation; several may be set together.
inline constexpr uint32_t SS_NO_EQUATIONS = 1;
inline constexpr uint32_t SS_SINGULAR = 2;
inline constexpr uint32_t SS_NOT_FOUND = 4;
inline constexpr uint32_t SS_EIGEN_FAILED = 8;
inline constexpr uint32_t SS_NO_SENSITIVITIES = 16;
// Set with SS_NO_SENSITIVITIES: the log-gain tables would exceed
// kMaxSensitivityValues, so they were neither computed nor stored.
inline constexpr uint32_t SS_SENSITIVITIES_TOO_LARGE = 32;
// `stopRequested` answered true: the computation was abandoned and no output
// is valid.
inline constexpr uint32_t SS_STOPPED = 64;

// About 90 bytes each from computation to saved text; this bounds a report
// near 1 GB of memory and 110 MB of text.
inline constexpr uint64_t kMaxSensitivityValues = 10'000'000;

// String-table entries of the flags' texts, and the second lines of the two
// texts that take two.
inline constexpr int kSsMessageNoEquations = 31600;
inline constexpr int kSsMessageSingular = 31601;
inline constexpr int kSsMessageNotFound = 31602;
inline constexpr int kSsMessageEigenFailed = 31603;
inline constexpr int kSsMessageNoSensitivities = 31604;
inline constexpr int kSsMessageManySteadyStates = 31605;
inline constexpr int kSsMessageNoSensitivitiesComputed = 31606;

// Attempts of the numerical search: the initial values, then 1, 2, 1/2, ...,
// 512, 1/512.
inline constexpr int kSsMaxAttempts = 20;

class KRMForm_ss {
public:
    KRMForm_ss(KRMForm& form, KRMparser& model) : form(form), model(model) {}
    virtual ~KRMForm_ss() = default;
    KRMForm_ss(const KRMForm_ss&) = delete;
    KRMForm_ss& operator=(const KRMForm_ss&) = delete;

    // Computes everything for the present form and model; always returns
    // true, outcomes are in `status`. `isPowerLaw`: the form was built from
    // the model without errors.
    virtual bool compute(bool isPowerLaw);

    // Length of one sensitivity column: the variables, then the fluxes.
    uint32_t ColumnLength() const { return nVars + nFluxes; }
    uint32_t RelationCount() const { return static_cast<uint32_t>(relations.size()); }
    // Eigenvalues of the motion on the totals; the last RelationCount() of
    // the n are the zeros the relations explain.
    uint32_t ReducedCount() const { return nVars - RelationCount(); }

    KRMForm& form;
    KRMparser& model;
    std::unique_ptr<double[]> results; // every output below points into it
    bool isPowerLaw = false;
    // Set before compute: find conservation relations and solve on the
    // totals of the initial values (false: the full system, as before).
    bool useConservation = true;
    // Set before compute: the search and the eigenvalues take the exact
    // Jacobian (closed form for a power-law form, forward-mode otherwise).
    bool exactJacobian = false;
    // Asked before every evaluation of the residual when set: true abandons
    // the computation with SS_STOPPED, so a stop acts within one solver step.
    std::function<bool()> stopRequested;
    // Larger log-gain tables are refused before they are allocated.
    uint64_t maxSensitivityValues = kMaxSensitivityValues;
    uint32_t status = 0;
    uint32_t nVars = 0;
    uint32_t nIndep = 0;
    uint32_t nFluxes = 0;
    uint32_t nTerms = 0;
    uint32_t nFactors = 0;
    unsigned classification = 0; // the form's property bits (power-law only)
    // Greater than 0 when the steady state was reached by integrating the
    // model to this time, after the search failed from every start point.
    double integrationHorizon = 0.0;
    // Evaluations of the residual the last compute made (a cost figure).
    uint64_t residualEvaluations = 0;
    double* steadyState = nullptr;
    double* influx = nullptr;
    double* fValue = nullptr;      // NaN where the influx is 0
    double* eigenvalues = nullptr; // n real parts, then n imaginary parts
    double* sensIndep = nullptr;
    double* sensRate = nullptr;
    double* sensOrder = nullptr;
    double* sensTotal = nullptr; // one column per relation: log gains to its total
    // Values the log-gain tables hold (or would hold, when too large).
    uint64_t sensitivityValues = 0;
    std::vector<ConservationRelation> relations;

private:
    void Reset();
    void AllocateResults();
};

// The residual callbacks, in the shape the nonlinear solver calls them; the
// context carries the form or model, so computations do not share state.
void powerLawResidual(void* context, int n, const double* x, double* f, int* iflag);
void modelResidual(void* context, int n, const double* x, double* f, int* iflag);

} // namespace kora

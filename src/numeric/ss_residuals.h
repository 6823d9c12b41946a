// The power-law form and the model as the steady-state search sees them:
// flat arrays that the residual callbacks walk without allocating.
#pragma once

#include <cstdint>
#include <vector>

#include "model/gma_form.h"
#include "model/krm_parser.h"

namespace kora {

// Terms of every equation, flattened. Term t of equation i is
// termStart[i] <= t < termStart[i + 1]; its factors are
// factorStart[t] <= f < factorStart[t + 1], in ascending value index.
struct PowerLawTable {
    uint32_t n = 0;
    std::vector<uint32_t> termStart;
    std::vector<double> coefficient;
    std::vector<uint32_t> factorStart;
    std::vector<uint32_t> factorIndex;
    std::vector<double> factorOrder;
    std::vector<bool> sSystemEquation;
    // Fluxes in order: the term each one is, and its equation.
    std::vector<uint32_t> fluxTerm;
    std::vector<uint32_t> fluxEquation;

    // `form` must have been classified (equation types set).
    void Build(const KRMForm& form);

    uint32_t TermCount() const { return static_cast<uint32_t>(coefficient.size()); }
    uint32_t FactorCount() const { return static_cast<uint32_t>(factorIndex.size()); }
    bool AllSSystem() const;

    // c * prod x[p]^e over the term's factors; xe holds n + m values.
    double TermValue(uint32_t term, const double* xe) const;
    // Kinetic order of value index p in `term`, 0 when absent.
    double OrderOf(uint32_t term, uint32_t p) const;
    // For each equation, the dependent variables its terms read, ascending.
    void EquationReads(std::vector<std::vector<int32_t>>& reads) const;
};

// powerLawResidual's context: the table and the extended state, whose
// positions n .. n + m - 1 hold the independent values.
struct PowerLawResidualContext {
    const PowerLawTable* table = nullptr;
    double* xe = nullptr;
};

// Copies x into the context's extended state; false when a value is not
// positive and finite, where powers are undefined or meaningless.
bool TakePositiveState(PowerLawResidualContext& c, int n, const double* x);

// modelResidual's context: copies of the model's stored auxiliary and
// constant values and an evaluation stack, made once per computation.
struct ModelResidualContext {
    explicit ModelResidualContext(const KRMparser& model);

    const KRMparser* model;
    std::vector<double> storedAuxiliary;
    std::vector<double> auxiliary;
    std::vector<double> constants;
    std::vector<double> stack;
};

} // namespace kora

#include "ss_residuals.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "krmform_ss.h"

namespace kora {

void PowerLawTable::Build(const KRMForm& form) {
    n = static_cast<uint32_t>(form.size());
    termStart.assign(1, 0);
    coefficient.clear();
    factorStart.assign(1, 0);
    factorIndex.clear();
    factorOrder.clear();
    sSystemEquation.clear();
    fluxTerm.clear();
    fluxEquation.clear();
    for (uint32_t i = 0; i < n; ++i) {
        const GMAexpression& equation = form.equations[i];
        const bool sSystem = equation.equationType == kEquationSSystem;
        sSystemEquation.push_back(sSystem);
        for (size_t k = 0; k < equation.terms.size(); ++k) {
            const GMATerm& term = equation.terms[k];
            if (!sSystem || k == 0) {
                fluxTerm.push_back(TermCount());
                fluxEquation.push_back(i);
            }
            coefficient.push_back(term.coefficient);
            for (const auto& [index, order] : term.exponents) {
                factorIndex.push_back(index);
                factorOrder.push_back(order);
            }
            factorStart.push_back(FactorCount());
        }
        termStart.push_back(TermCount());
    }
}

bool PowerLawTable::AllSSystem() const {
    return std::all_of(sSystemEquation.begin(), sSystemEquation.end(), [](bool s) { return s; });
}

double PowerLawTable::TermValue(uint32_t term, const double* xe) const {
    double value = coefficient[term];
    for (uint32_t f = factorStart[term]; f < factorStart[term + 1]; ++f)
        value *= std::pow(xe[factorIndex[f]], factorOrder[f]);
    return value;
}

double PowerLawTable::OrderOf(uint32_t term, uint32_t p) const {
    for (uint32_t f = factorStart[term]; f < factorStart[term + 1]; ++f)
        if (factorIndex[f] == p) return factorOrder[f];
    return 0.0;
}

void PowerLawTable::EquationReads(std::vector<std::vector<int32_t>>& reads) const {
    reads.assign(n, {});
    for (uint32_t i = 0; i < n; ++i) {
        std::vector<int32_t>& row = reads[i];
        for (uint32_t f = factorStart[termStart[i]]; f < factorStart[termStart[i + 1]]; ++f)
            if (factorIndex[f] < n) row.push_back(static_cast<int32_t>(factorIndex[f]));
        std::sort(row.begin(), row.end());
        row.erase(std::unique(row.begin(), row.end()), row.end());
    }
}

ModelResidualContext::ModelResidualContext(const KRMparser& model)
    : model(&model), stack(model.stackDepth + 1) {
    for (const Statement& s : model.definitions)
        storedAuxiliary.push_back(s.value);
    for (const Statement& s : model.constants)
        constants.push_back(s.value);
    auxiliary = storedAuxiliary;
}

bool TakePositiveState(PowerLawResidualContext& c, int n, const double* x) {
    // A non-finite trial would only drive the solver into NaNs.
    for (int i = 0; i < n; ++i) {
        if (!(x[i] > 0.0) || !std::isfinite(x[i])) return false;
        c.xe[i] = x[i];
    }
    return true;
}

void powerLawResidual(void* context, int n, const double* x, double* f, int* iflag) {
    auto& c = *static_cast<PowerLawResidualContext*>(context);
    if (!TakePositiveState(c, n, x)) {
        *iflag = -1;
        return;
    }
    const PowerLawTable& table = *c.table;
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        for (uint32_t t = table.termStart[i]; t < table.termStart[i + 1]; ++t)
            sum += table.TermValue(t, c.xe);
        if (!std::isfinite(sum)) {
            *iflag = -1;
            return;
        }
        f[i] = sum;
    }
}

void modelResidual(void* context, int n, const double* x, double* f, int* iflag) {
    auto& c = *static_cast<ModelResidualContext*>(context);
    // Each call starts from the stored values so that the residual depends on
    // x alone, whatever the solver tried before.
    std::copy(c.storedAuxiliary.begin(), c.storedAuxiliary.end(), c.auxiliary.begin());
    int error = 0;
    for (size_t k = 0; k < c.auxiliary.size(); ++k) {
        c.auxiliary[k] = c.model->Evaluate(1, static_cast<int>(k), 0.0, x, c.auxiliary.data(),
                                           c.constants.data(), error, c.stack.data());
        if (error != 0) {
            *iflag = -1;
            return;
        }
    }
    for (int i = 0; i < n; ++i) {
        f[i] = c.model->Evaluate(0, i, 0.0, x, c.auxiliary.data(), c.constants.data(), error,
                                 c.stack.data());
        if (error != 0 || !std::isfinite(f[i])) {
            *iflag = -1;
            return;
        }
    }
}

} // namespace kora

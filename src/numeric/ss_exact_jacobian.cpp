#include "ss_exact_jacobian.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kora {

void powerLawJacobian(void* context, int n, const double* x, double* fjac, int* iflag) {
    auto& c = *static_cast<PowerLawResidualContext*>(context);
    if (!TakePositiveState(c, n, x)) {
        *iflag = -1;
        return;
    }
    const PowerLawTable& table = *c.table;
    const auto size = static_cast<size_t>(n);
    std::fill_n(fjac, size * size, 0.0);
    for (size_t i = 0; i < size; ++i) {
        for (uint32_t t = table.termStart[i]; t < table.termStart[i + 1]; ++t) {
            const double term = table.TermValue(t, c.xe);
            for (uint32_t f = table.factorStart[t]; f < table.factorStart[t + 1]; ++f) {
                const uint32_t j = table.factorIndex[f];
                if (j < size) fjac[j * size + i] += table.factorOrder[f] * term / x[j];
            }
        }
    }
    for (size_t k = 0; k < size * size; ++k) {
        if (!std::isfinite(fjac[k])) {
            *iflag = -1;
            return;
        }
    }
}

ModelJacobianContext::ModelJacobianContext(const KRMparser& model,
                                           const std::vector<double>& constants)
    : products(model), constants(&constants), seed(model.VariableCount(), 0.0) {}

void modelJacobian(void* context, int n, const double* x, double* fjac, int* iflag) {
    auto& c = *static_cast<ModelJacobianContext*>(context);
    for (int j = 0; j < n; ++j) {
        c.seed[static_cast<size_t>(j)] = 1.0;
        const bool formed = c.products.Times(0.0, x, c.seed.data(), c.constants->data(),
                                             fjac + static_cast<size_t>(j) * n);
        c.seed[static_cast<size_t>(j)] = 0.0;
        if (!formed) {
            *iflag = -1;
            return;
        }
    }
}

} // namespace kora

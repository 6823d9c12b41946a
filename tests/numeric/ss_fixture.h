// A model built from text lines with its steady-state computation, and an
// independent reference: Newton's method on a power-law form in logarithms.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/krm_parser.h"
#include "numeric/kernels/linpack.h"
#include "numeric/krmform_ss.h"

namespace kora::test {

struct SsModel {
    TextLines lines;
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};
    KRMForm_ss ss{form, model};
    bool powerLaw = false;

    explicit SsModel(TextLines text, bool tryPowerLaw = true) : lines(std::move(text)) {
        model.Build(lines);
        EXPECT_EQ(sink.code, 0) << sink.context;
        powerLaw = tryPowerLaw && model.BuildForm();
    }
    void Compute() { ss.compute(powerLaw); }

    // The independent values at their value positions (dependent ones 0).
    std::vector<double> Extended() const {
        std::vector<double> xe(model.VariableCount() + model.nIndependent, 0.0);
        for (const Statement& c : model.constants)
            if (c.valueIndex != 0) xe[c.valueIndex] = c.value;
        return xe;
    }
};

inline double TermValue(const GMATerm& term, const std::vector<double>& xe) {
    double v = term.coefficient;
    for (const auto& [p, e] : term.exponents)
        v *= std::pow(xe[p], e);
    return v;
}

// Refines the steady state in xe[0 .. n) by Newton's method on ln x; the
// Jacobian is exact, so the result is good to rounding.
inline bool NewtonSteadyState(const KRMForm& form, std::vector<double>& xe) {
    const int n = static_cast<int>(form.size());
    std::vector<double> y(n), f(n), jac(size_t(n) * n);
    std::vector<int> pivots(n);
    for (int i = 0; i < n; ++i)
        y[i] = std::log(xe[i]);
    for (int iteration = 0; iteration < 100; ++iteration) {
        for (int i = 0; i < n; ++i)
            xe[i] = std::exp(y[i]);
        std::fill(jac.begin(), jac.end(), 0.0);
        double scale = 0.0;
        for (int i = 0; i < n; ++i) {
            f[i] = 0.0;
            for (const GMATerm& term : form.equations[i].terms) {
                const double v = TermValue(term, xe);
                f[i] += v;
                scale = std::max(scale, std::abs(v));
                for (const auto& [p, e] : term.exponents)
                    if (p < unsigned(n)) jac[p * n + i] += v * e;
            }
        }
        int info = 0;
        dgefa(jac.data(), n, n, pivots.data(), info);
        if (info != 0) return false;
        dgesl(jac.data(), n, n, pivots.data(), f.data(), 0);
        double step = 0.0;
        for (int i = 0; i < n; ++i) {
            y[i] -= f[i];
            step = std::max(step, std::abs(f[i]));
        }
        if (step < 1e-15) break;
    }
    for (int i = 0; i < n; ++i)
        xe[i] = std::exp(y[i]);
    return true;
}

// Flux values of a classified form at xe, in flux order.
inline std::vector<double> Fluxes(const KRMForm& form, const std::vector<double>& xe) {
    std::vector<double> fluxes;
    for (const GMAexpression& eq : form.equations) {
        const size_t count = eq.equationType == kEquationSSystem ? 1 : eq.terms.size();
        for (size_t k = 0; k < count; ++k)
            fluxes.push_back(TermValue(eq.terms[k], xe));
    }
    return fluxes;
}

} // namespace kora::test

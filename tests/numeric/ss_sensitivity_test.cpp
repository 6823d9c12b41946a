// Every log gain against central differences of the steady state: the
// parameter's logarithm moves by +-h and the state is solved again by an
// independent Newton iteration.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "ss_fixture.h"

namespace kora::test {
namespace {

constexpr double kStep = 1e-5;

// ln X and ln |flux| at the steady state of `form` with the independent
// values of `xe`, starting Newton from xe's dependent values.
std::vector<double> LogOutputs(const KRMForm& form, std::vector<double> xe) {
    EXPECT_TRUE(NewtonSteadyState(form, xe));
    std::vector<double> out;
    for (size_t i = 0; i < form.size(); ++i)
        out.push_back(std::log(xe[i]));
    for (double flux : Fluxes(form, xe))
        out.push_back(std::log(std::abs(flux)));
    return out;
}

using Perturbation = std::function<void(KRMForm&, std::vector<double>&, double factor)>;

// The columns of the three arrays, in order, as perturbations.
std::vector<Perturbation> Parameters(const SsModel& m) {
    std::vector<Perturbation> params;
    const size_t n = m.form.size();
    for (size_t p = n; p < n + m.model.nIndependent; ++p)
        params.push_back([p](KRMForm&, std::vector<double>& xe, double f) { xe[p] *= f; });
    for (size_t i = 0; i < n; ++i)
        for (size_t k = 0; k < m.form.equations[i].terms.size(); ++k)
            params.push_back([i, k](KRMForm& form, std::vector<double>&, double f) {
                form.equations[i].terms[k].coefficient *= f;
            });
    for (size_t i = 0; i < n; ++i)
        for (size_t k = 0; k < m.form.equations[i].terms.size(); ++k)
            for (const auto& entry : m.form.equations[i].terms[k].exponents) {
                const uint32_t q = entry.first;
                params.push_back([i, k, q](KRMForm& form, std::vector<double>&, double f) {
                    form.equations[i].terms[k].exponents[q] *= f;
                });
            }
    return params;
}

void ExpectSensitivitiesMatchDifferences(const TextLines& text) {
    SsModel m(text);
    ASSERT_TRUE(m.powerLaw);
    m.Compute();
    ASSERT_EQ(m.ss.status, 0u);
    const KRMForm_ss& ss = m.ss;
    std::vector<double> base = m.Extended();
    for (uint32_t i = 0; i < ss.nVars; ++i)
        base[i] = ss.steadyState[i];

    const std::vector<Perturbation> params = Parameters(m);
    ASSERT_EQ(params.size(), size_t{ss.nIndep} + ss.nTerms + ss.nFactors);
    const uint32_t length = ss.ColumnLength();
    for (size_t r = 0; r < params.size(); ++r) {
        KRMForm up = m.form, down = m.form;
        std::vector<double> xeUp = base, xeDown = base;
        params[r](up, xeUp, std::exp(kStep));
        params[r](down, xeDown, std::exp(-kStep));
        const std::vector<double> hi = LogOutputs(up, xeUp), lo = LogOutputs(down, xeDown);
        // Columns run through the three arrays as one sequence.
        const double* column = r < ss.nIndep ? ss.sensIndep + r * length
                               : r < ss.nIndep + ss.nTerms
                                   ? ss.sensRate + (r - ss.nIndep) * length
                                   : ss.sensOrder + (r - ss.nIndep - ss.nTerms) * length;
        for (uint32_t row = 0; row < length; ++row) {
            const double difference = (hi[row] - lo[row]) / (2 * kStep);
            EXPECT_NEAR(column[row], difference, 1e-5 * std::max(std::abs(difference), 1e-2))
                << "parameter column " << r << ", output " << row;
        }
    }
}

TEST(SteadyStateSensitivities, SSystemAgreesWithCentralDifferences) {
    ExpectSensitivitiesMatchDifferences({
        "X1' = 2 * X0^0.5 * X2^(-0.4) - 1.5 * X1^0.8",
        "X2' = 1.2 * X1^0.6 * X3^(-0.3) - 0.8 * X2^0.5 * X0^0.2",
        "X1 = 3",
        "X2 = 0.2",
        "X0 = 2",
        "X3 = 0.7",
        "&& X0 X3",
    });
}

TEST(SteadyStateSensitivities, GmaSystemAgreesWithCentralDifferences) {
    ExpectSensitivitiesMatchDifferences({
        "X1' = 2 * X3 + 0.5 * X2^0.3 - X1^0.7 - 0.4 * X1 * X2^(-0.2)",
        "X2' = 0.4 * X1 * X2^(-0.2) - 1.3 * X2^0.6 * X3^0.25",
        "X1 = 1",
        "X2 = 1",
        "X3 = 1.5",
        "&& X3",
    });
}

} // namespace
} // namespace kora::test

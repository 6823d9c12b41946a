#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <thread>

#include "numeric/lsoda.h"
#include "numeric/report/ss_report.h"
#include "ss_fixture.h"

namespace kora::test {
namespace {

const TextLines kSSystem = {
    "X1' = 2 * X0^0.5 * X2^(-0.4) - 1.5 * X1^0.8",
    "X2' = 1.2 * X1^0.6 - 0.8 * X2^0.5 * X0^0.2",
    "X1 = 3",
    "X2 = 0.2",
    "X0 = 2",
    "&& X0",
};

TEST(SteadyStateCompute, SSystemClosedFormMatchesNumericalSearch) {
    SsModel closed(kSSystem);
    ASSERT_TRUE(closed.powerLaw);
    closed.Compute();
    ASSERT_EQ(closed.ss.status, 0u);
    EXPECT_EQ(closed.ss.nFluxes, 2u);
    EXPECT_EQ(closed.ss.nTerms, 4u);
    EXPECT_EQ(closed.ss.nFactors, 6u);

    // The same model as a general one goes through the search alone.
    SsModel searched(kSSystem, false);
    searched.Compute();
    ASSERT_EQ(searched.ss.status, SS_NO_SENSITIVITIES);
    EXPECT_EQ(searched.ss.nFluxes + searched.ss.nTerms + searched.ss.nFactors, 0u);
    for (int i = 0; i < 2; ++i)
        EXPECT_NEAR(closed.ss.steadyState[i], searched.ss.steadyState[i],
                    1e-7 * closed.ss.steadyState[i]);

    // Both residuals vanish there.
    std::vector<double> xe = closed.Extended();
    for (int i = 0; i < 2; ++i)
        xe[i] = closed.ss.steadyState[i];
    for (const GMAexpression& eq : closed.form.equations) {
        EXPECT_NEAR(TermValue(eq.terms[0], xe) + TermValue(eq.terms[1], xe), 0.0, 1e-12);
    }
    for (int i = 0; i < 2; ++i) {
        EXPECT_DOUBLE_EQ(closed.ss.influx[i], TermValue(closed.form.equations[i].terms[0], xe));
        EXPECT_DOUBLE_EQ(closed.ss.fValue[i], closed.ss.influx[i] / xe[i]);
    }
}

// Eigenvalues of the exact Jacobian of a two-variable power-law form.
std::vector<std::complex<double>> AnalyticEigenvalues(const SsModel& m) {
    const KRMForm& form = m.form;
    std::vector<double> xe = m.Extended();
    xe[0] = m.ss.steadyState[0];
    xe[1] = m.ss.steadyState[1];
    double j[2][2] = {};
    for (int i = 0; i < 2; ++i)
        for (const GMATerm& term : form.equations[i].terms)
            for (const auto& [p, e] : term.exponents)
                if (p < 2) j[i][p] += TermValue(term, xe) * e / xe[p];
    const double trace = j[0][0] + j[1][1];
    const double det = j[0][0] * j[1][1] - j[0][1] * j[1][0];
    const std::complex<double> root = std::sqrt(std::complex<double>(trace * trace / 4 - det));
    return {trace / 2 + root, trace / 2 - root};
}

void ExpectEigenvaluesMatch(SsModel& m) {
    m.Compute();
    ASSERT_EQ(m.ss.status & ~SS_SINGULAR, 0u);
    auto expected = AnalyticEigenvalues(m);
    std::vector<std::complex<double>> got = {{m.ss.eigenvalues[0], m.ss.eigenvalues[2]},
                                             {m.ss.eigenvalues[1], m.ss.eigenvalues[3]}};
    auto order = [](auto a, auto b) {
        return a.real() != b.real() ? a.real() < b.real() : a.imag() < b.imag();
    };
    std::sort(expected.begin(), expected.end(), order);
    std::sort(got.begin(), got.end(), order);
    for (int k = 0; k < 2; ++k) {
        const double scale = std::abs(expected[k]);
        EXPECT_NEAR(got[k].real(), expected[k].real(), 1e-6 * scale);
        EXPECT_NEAR(got[k].imag(), expected[k].imag(), 1e-6 * scale);
    }
}

TEST(SteadyStateCompute, EigenvaluesOfStableNodeAndFocus) {
    SsModel node({"X1' = 2 - X1^2", "X2' = X1 - 0.5 * X2", "X1 = 1", "X2 = 1"});
    ExpectEigenvaluesMatch(node);
    EXPECT_EQ(node.ss.eigenvalues[2], 0.0);
    EXPECT_EQ(node.ss.eigenvalues[3], 0.0);

    // Negative feedback of X2 on X1 makes a spiral.
    SsModel focus(kSSystem);
    ExpectEigenvaluesMatch(focus);
    EXPECT_GT(std::abs(focus.ss.eigenvalues[2]), 0.1);
    EXPECT_EQ(focus.ss.eigenvalues[2], -focus.ss.eigenvalues[3]);
}

TEST(SteadyStateCompute, NoPositiveRootIsNotFound) {
    // X1 + X2 grows for positive values; the only root has X1 = X2 = -1.
    SsModel m({"X1' = 1 + X1*X2", "X2' = X1 - X2", "X1 = 1", "X2 = 1"});
    ASSERT_TRUE(m.powerLaw);
    m.Compute();
    EXPECT_EQ(m.ss.status, SS_NOT_FOUND);
}

// The model's state at its final time by a long LSODA run on the evaluator.
std::vector<double> IntegrateModel(SsModel& m, double tolerance) {
    lsoda solver(&m.model);
    EXPECT_TRUE(solver.Init());
    solver.tolerance = tolerance;
    solver.state = kSolverInitialise;
    while (solver.state != kSolverFinished)
        solver.Run();
    EXPECT_EQ(solver.status, kStatusComplete);
    return solver.values;
}

TEST(SteadyStateCompute, SearchFailingFromEveryStartIsFoundByIntegration) {
    // Components four orders of magnitude apart: the search fails from all 20
    // start points, and only then does the integration run. The slow
    // eigenvalue is about -0.034, so by t = 1000 the motion has settled far
    // below 1e-6.
    SsModel m({"X1' = 250 - 0.0015 X1^1.3 - 0.02 X1^0.8 X2^0.2",
               "X2' = 0.02 X1^0.6 - 0.4 X2^0.85 - 0.02 X2^0.85 X1^0.4", "X1 = 0.01", "X2 = 20",
               "tf = 1000", "hr = 1000"});
    ExpectEigenvaluesMatch(m);
    EXPECT_EQ(m.ss.status, 0u);
    EXPECT_EQ(m.ss.integrationHorizon, 10.0);
    const std::vector<double> settled = IntegrateModel(m, 1e-11);
    for (int i = 0; i < 2; ++i)
        EXPECT_NEAR(m.ss.steadyState[i], settled[i], 1e-6 * settled[i]);

    SsReport report;
    report.Fill(m.form, m.model, 7, 0, m.ss);
    const std::vector<std::string> lines = report.SaveLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "Steady state reached by integration to t = 10.");
    EXPECT_EQ(lines[2], "\t");
}

TEST(SteadyStateCompute, UnboundedGrowthHasNoSteadyStateByIntegrationEither) {
    for (bool powerLaw : {true, false}) {
        SsModel m({"X' = 1", "Y' = 2 - Y", "X = 1", "Y = 1"}, powerLaw);
        m.Compute();
        EXPECT_EQ(m.ss.status, SS_NOT_FOUND);
        EXPECT_EQ(m.ss.integrationHorizon, 0.0);
    }
}

TEST(SteadyStateCompute, SingularSSystemFallsBackToSearch) {
    // A = G - H has equal rows, so the closed form fails; the search finds
    // one of the many states (X1 = X2 on the line of solutions).
    SsModel m({"X1' = X2 - X1", "X2' = X1 - X2", "X1 = 1", "X2 = 3"});
    m.ss.useConservation = false;
    m.Compute();
    EXPECT_EQ(m.ss.status, SS_SINGULAR | SS_NO_SENSITIVITIES);
    EXPECT_NEAR(m.ss.steadyState[0], m.ss.steadyState[1], 1e-7);
    // The line is X1 + X2 = const: on the initial total it is one state.
    SsModel kept({"X1' = X2 - X1", "X2' = X1 - X2", "X1 = 1", "X2 = 3"});
    kept.Compute();
    EXPECT_EQ(kept.ss.status, 0u);
    EXPECT_NEAR(kept.ss.steadyState[0], 2.0, 1e-10);
    EXPECT_NEAR(kept.ss.steadyState[1], 2.0, 1e-10);
}

TEST(SteadyStateCompute, GeneralModelWithoutEquationsAndNonPowerLawInput) {
    SsModel empty({"k = 1"}, false);
    empty.Compute();
    EXPECT_EQ(empty.ss.status, SS_NO_EQUATIONS);
    EXPECT_EQ(empty.ss.results, nullptr);

    // A function makes the model general; its steady state is X = ln 4.
    SsModel general({"X' = 4 - exp[X]", "X = 1"});
    EXPECT_FALSE(general.powerLaw);
    general.Compute();
    EXPECT_EQ(general.ss.status, SS_NO_SENSITIVITIES);
    EXPECT_NEAR(general.ss.steadyState[0], std::log(4.0), 1e-9);
    EXPECT_NEAR(general.ss.eigenvalues[0], -4.0, 1e-6);
}

TEST(SteadyStateCompute, TwoDocumentsComputeAtOnce) {
    // One power-law and one general model, so both residuals run together.
    SsModel a(kSSystem), b({"X' = 4 - exp[X]", "X = 1"}, false);
    a.Compute();
    b.Compute();
    const std::vector<double> expectA(a.ss.results.get(), a.ss.results.get() + 5 * 2);
    const double expectB = b.ss.steadyState[0];
    bool sameA = true, sameB = true;
    std::thread first([&] {
        for (int k = 0; k < 200; ++k) {
            a.Compute();
            sameA = sameA && std::equal(expectA.begin(), expectA.end(), a.ss.results.get());
        }
    });
    std::thread second([&] {
        for (int k = 0; k < 200; ++k) {
            b.Compute();
            sameB = sameB && b.ss.steadyState[0] == expectB;
        }
    });
    first.join();
    second.join();
    EXPECT_TRUE(sameA);
    EXPECT_TRUE(sameB);
}

} // namespace
} // namespace kora::test

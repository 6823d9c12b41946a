// LSODA and the steady-state search with the model's exact Jacobian: the
// same solutions as with differences, through the full and banded matrices,
// with no evaluation of the right side spent on the Jacobian.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/krm_parser.h"
#include "numeric/lsoda.h"
#include "ss_fixture.h"

namespace kora {
namespace {

struct SolvedRun {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};
    lsoda solver{&model};
    int32_t jt = 0;

    SolvedRun(const TextLines& lines, bool exact, double tolerance = 1e-8) {
        model.Build(lines);
        EXPECT_EQ(sink.code, 0) << sink.context;
        EXPECT_TRUE(solver.Init());
        solver.exactJacobian = exact;
        solver.createResults = true;
        solver.tolerance = tolerance;
        solver.state = kSolverInitialise;
        while (solver.state != kSolverFinished) {
            solver.Run();
            jt = std::max(jt, solver.jt);
        }
        EXPECT_EQ(solver.status, kStatusComplete);
    }

    std::vector<double> Rows() const {
        const double* data = solver.results.data();
        return std::vector<double>(data, data + static_cast<size_t>(solver.rows) * solver.columns);
    }
};

// A stiff power-law chain (rates over four decades); `coupled` adds a
// definition read by X5 that makes the matrix too wide for a band.
TextLines StiffChain(bool coupled) {
    TextLines lines{"X0 = 1", "&& X0", "v = X3 * X9", "tf = 10", "hr = 0.5"};
    for (int i = 1; i <= 12; ++i) {
        const std::string k = std::to_string(std::pow(10.0, 4.0 * (i - 1) / 11.0));
        const std::string x = "X" + std::to_string(i);
        lines.push_back(x + "' = " + k + " * X" + std::to_string(i - 1) + "^0.6 - " + k + " * " +
                        x + "^0.7" + (i == 5 && coupled ? " + 0.01 * v" : ""));
        lines.push_back(x + " = 0.5");
    }
    return lines;
}

void ExpectSameSolution(const SolvedRun& exact, const SolvedRun& difference) {
    const std::vector<double> a = exact.Rows(), b = difference.Rows();
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); ++k)
        EXPECT_NEAR(a[k], b[k], 1e-6 * (std::fabs(b[k]) + 1e-3)) << "entry " << k;
    const LsodaStatistics& e = exact.solver.Statistics();
    const LsodaStatistics& d = difference.solver.Statistics();
    EXPECT_GT(e.jacobianEvaluations, 0);
    // Each difference Jacobian costs evaluations; the exact one none.
    EXPECT_LT(e.rhsEvaluations - e.steps, d.rhsEvaluations - d.steps);
}

TEST(ExactJacobianRun, FullAndBandedMatricesGiveTheDifferenceSolution) {
    for (bool coupled : {true, false}) {
        const SolvedRun exact(StiffChain(coupled), true);
        const SolvedRun difference(StiffChain(coupled), false);
        EXPECT_EQ(exact.jt, coupled ? 1 : 4) << "coupled " << coupled;
        EXPECT_EQ(difference.jt, 2);
        ExpectSameSolution(exact, difference);
    }
}

TEST(ExactJacobianRun, GeneralFunctionsAndBackwardRunsAgree) {
    const TextLines vanDerPol{"X' = Y", "Y' = 100 (1 - X^2) Y - X", "X = 2", "Y = 0", "tf = 20",
                              "hr = 1"};
    ExpectSameSolution(SolvedRun(vanDerPol, true, 1e-9), SolvedRun(vanDerPol, false, 1e-9));
    // Backward in time: the negated right side has the negated Jacobian.
    const TextLines functions{"X' = 5000 (X - cos[_time]) + sin[Y]",
                              "Y' = exp[0.1 Y] - abs[X]",
                              "X = 0",
                              "Y = 1",
                              "t0 = 3",
                              "tf = 0",
                              "hr = -0.25"};
    ExpectSameSolution(SolvedRun(functions, true), SolvedRun(functions, false));
}

TEST(ExactJacobianRun, RandomDrawsKeepTheDifferenceJacobian) {
    const SolvedRun noisy({"X' = -100 X + rand[1e-12]", "X = 1", "tf = 0.1"}, true);
    EXPECT_EQ(noisy.jt, 2);
}

void ExpectSameSteadyState(const TextLines& lines, bool powerLaw) {
    test::SsModel exact(lines, powerLaw), difference(lines, powerLaw);
    exact.ss.exactJacobian = true;
    exact.Compute();
    difference.Compute();
    ASSERT_EQ(exact.ss.status & ~SS_NO_SENSITIVITIES, 0u);
    ASSERT_EQ(difference.ss.status & ~SS_NO_SENSITIVITIES, 0u);
    const uint32_t n = exact.ss.nVars;
    for (uint32_t i = 0; i < n; ++i)
        EXPECT_NEAR(exact.ss.steadyState[i], difference.ss.steadyState[i],
                    1e-6 * difference.ss.steadyState[i]);
    for (uint32_t i = 0; i < 2 * n; ++i)
        EXPECT_NEAR(exact.ss.eigenvalues[i], difference.ss.eigenvalues[i],
                    1e-5 * (std::fabs(difference.ss.eigenvalues[i]) + 1.0));
    // The search spends no evaluation on Jacobians.
    EXPECT_LT(exact.ss.residualEvaluations, difference.ss.residualEvaluations);
}

TEST(ExactJacobianSteadyState, PowerLawAndGeneralModelsReachTheSameState) {
    const TextLines gma{"X1' = 2 X3^-0.5 - 1.5 X1^0.5 - 0.2 X1^0.8 X2^0.1",
                        "X2' = 1.5 X1^0.5 - 0.8 X2^0.7",
                        "X3' = 0.2 X1^0.8 X2^0.1 - 0.9 X3^0.6",
                        "X1 = 2",
                        "X2 = 3",
                        "X3 = 0.5"};
    ExpectSameSteadyState(gma, true);
    ExpectSameSteadyState(gma, false);
    ExpectSameSteadyState({"v = Vm S / (Km + S)", "S' = 1 - v - 0.1 S", "P' = v - 0.5 P", "Vm = 3",
                           "Km = 0.4", "S = 1", "P = 1"},
                          false);
}

} // namespace
} // namespace kora

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "hand_model.h"
#include "numeric/krm_form_integrator.h"

namespace kora {
namespace {

using test::HandModel;
using test::Term;

// Runs the solver's slices to the end of its segment.
void Solve(KRMForm_integrator& solver, int logTolerance = 9) {
    ASSERT_TRUE(solver.Init());
    solver.createResults = true;
    solver.minOrder = 3;
    solver.maxOrder = 20;
    solver.tolerance = std::pow(10.0, -logTolerance);
    solver.state = kSolverInitialise;
    solver.startTicks = solver.lastProgressTicks = TickCountMs();
    for (int slice = 0; slice < 10000000 && solver.state != kSolverFinished; ++slice)
        solver.Run();
}

double Cell(const KRMForm_integrator& solver, int row, int column) {
    return solver.results.data()[row * solver.columns + column];
}

TEST(TaylorIntegrator, DecayIsOneStepWithExactReportGrid) {
    HandModel hand(0.0, 1.0, 0.1);
    hand.AddVariable("X", 2.0, {Term(-0.5, {{0, 1.0}})});
    KRMForm_integrator solver(&hand.model, &hand.form);
    Solve(solver, 6);

    EXPECT_EQ(solver.status, kStatusComplete);
    EXPECT_EQ(solver.StepCount(), 1);
    ASSERT_EQ(solver.rows, 11); // no near-duplicate of t = 1 before the end
    for (int r = 0; r < solver.rows; ++r) {
        EXPECT_NEAR(Cell(solver, r, 0), 0.1 * r, 1e-15);
        EXPECT_NEAR(Cell(solver, r, 1), 2.0 * std::exp(-0.05 * r), 1e-14);
    }
    EXPECT_EQ(Cell(solver, 10, 0), 1.0);
    EXPECT_EQ(solver.values[0], Cell(solver, 10, 1)); // the final state
}

TEST(TaylorIntegrator, LastRowIsTheEndWhenSpanIsNoMultipleOfInterval) {
    for (const double hr : {0.1, 5.0}) {
        HandModel hand(0.0, 1.05, hr);
        hand.AddVariable("X", 1.0, {Term(-1.0, {{0, 1.0}})});
        KRMForm_integrator solver(&hand.model, &hand.form);
        Solve(solver);
        ASSERT_EQ(solver.rows, hr < 1.0 ? 12 : 2) << hr;
        EXPECT_EQ(Cell(solver, solver.rows - 1, 0), 1.05);
    }
}

struct ClosedFormCase {
    const char* label;
    std::function<void(HandModel&)> build;
    std::function<double(int variable, double t)> exact;
    double tf;
};

// The error at every report time stays within a small multiple of the
// tolerance, at loose, medium and tight tolerances.
TEST(TaylorIntegrator, MatchesClosedFormSolutions) {
    const double r = 1.5, K = 10.0;
    const ClosedFormCase cases[] = {
        {"logistic growth as a GMA equation",
         [&](HandModel& h) {
             h.AddVariable("N", 0.5, {Term(r, {{0, 1.0}}), Term(-r / K, {{0, 2.0}})});
         },
         [&](int, double t) { return K / (1.0 + (K / 0.5 - 1.0) * std::exp(-r * t)); }, 8.0},
        {"two coupled variables",
         [](HandModel& h) {
             h.AddVariable("A", 1.0, {Term(-1.0, {{0, 1.0}})});
             h.AddVariable("B", 2.0, {Term(1.0, {{0, 1.0}}), Term(-2.0, {{1, 1.0}})});
         },
         [](int v, double t) { return v == 0 ? std::exp(-t) : std::exp(-t) + std::exp(-2.0 * t); },
         6.0},
    };
    for (const ClosedFormCase& c : cases) {
        for (int logTol : {6, 9, 12}) {
            HandModel hand(0.0, c.tf, 0.25);
            c.build(hand);
            KRMForm_integrator solver(&hand.model, &hand.form);
            Solve(solver, logTol);
            ASSERT_EQ(solver.status, kStatusComplete) << c.label;
            const double tol = std::pow(10.0, -logTol);
            double worst = 0.0;
            for (int row = 0; row < solver.rows; ++row)
                for (int v = 1; v < solver.columns; ++v) {
                    const double exact = c.exact(v - 1, Cell(solver, row, 0));
                    worst = std::max(worst, std::fabs(Cell(solver, row, v) - exact) / exact);
                }
            EXPECT_LT(worst, 5.0 * tol) << c.label << " at 1e-" << logTol;
        }
    }
}

// Predator and prey keep c*X - d*ln X + b*Y - a*ln Y constant: products of
// variables in the terms, over several cycles.
TEST(TaylorIntegrator, KeepsTheLotkaVolterraInvariant) {
    const double a = 1.0, b = 0.5, c = 0.2, d = 0.6;
    HandModel hand(0.0, 30.0, 0.5);
    hand.AddVariable("X", 4.0, {Term(a, {{0, 1.0}}), Term(-b, {{0, 1.0}, {1, 1.0}})});
    hand.AddVariable("Y", 1.0, {Term(c, {{0, 1.0}, {1, 1.0}}), Term(-d, {{1, 1.0}})});
    KRMForm_integrator solver(&hand.model, &hand.form);
    Solve(solver, 10);
    ASSERT_EQ(solver.status, kStatusComplete);
    auto invariant = [&](int row) {
        const double x = Cell(solver, row, 1), y = Cell(solver, row, 2);
        return c * x - d * std::log(x) + b * y - a * std::log(y);
    };
    for (int row = 1; row < solver.rows; ++row)
        EXPECT_NEAR(invariant(row), invariant(0), 1e-9);
}

TEST(TaylorIntegrator, NegativeVariablesKeepTheirSignAndOddPowersFlip) {
    // X' = X^2 from X = -1 gives X = -1/(1+t); Y' = -Y from Y = -2; Z' = -1 from -1.
    HandModel hand(0.0, 2.0, 0.5);
    hand.AddVariable("X", -1.0, {Term(1.0, {{0, 2.0}})});
    hand.AddVariable("Y", -2.0, {Term(-1.0, {{1, 1.0}})});
    hand.AddVariable("Z", -1.0, {Term(-1.0)}); // Z' = -1: a term without Z
    KRMForm_integrator solver(&hand.model, &hand.form);
    Solve(solver);
    ASSERT_EQ(solver.status, kStatusComplete);
    for (int row = 0; row < solver.rows; ++row) {
        const double t = Cell(solver, row, 0);
        EXPECT_NEAR(Cell(solver, row, 1), -1.0 / (1.0 + t), 1e-8);
        EXPECT_NEAR(Cell(solver, row, 2), -2.0 * std::exp(-t), 1e-8);
        EXPECT_NEAR(Cell(solver, row, 3), -1.0 - t, 1e-8);
    }
}

TEST(TaylorIntegrator, IndependentVariablesFoldIntoCoefficients) {
    // X' = k^2 * X with k = 0.5 at value position 1.
    HandModel hand(0.0, 1.0, 0.5);
    hand.AddVariable("X", 1.0, {Term(1.0, {{0, 1.0}, {1, 2.0}})});
    Statement k;
    k.name = "k";
    k.value = 0.5;
    k.state = kStateDefined;
    k.valueIndex = 1;
    hand.model.constants.push_back(k);
    KRMForm_integrator solver(&hand.model, &hand.form);
    Solve(solver);
    ASSERT_EQ(solver.status, kStatusComplete);
    EXPECT_NEAR(solver.values[0], std::exp(0.25), 1e-9);
    EXPECT_EQ(hand.form.equations[0].terms[0].exponents.size(), 2u);
}

TEST(TaylorIntegrator, FailuresKeepTheRowsBefore) {
    {
        // e^-1000 is below the smallest log the solver reports.
        HandModel hand(0.0, 1.0, 0.5);
        hand.AddVariable("X", 1.0, {Term(-1000.0, {{0, 1.0}})});
        KRMForm_integrator solver(&hand.model, &hand.form);
        Solve(solver);
        EXPECT_EQ(solver.status, kStatusTooSmall);
        EXPECT_EQ(solver.errorIndex, 0u);
        EXPECT_EQ(solver.rows, 2); // t = 0 and t = 0.5
    }
    {
        // e^1000 is above the largest; the variable reports nothing, so the
        // rows hold only times.
        HandModel hand(0.0, 1.0, 0.5);
        hand.AddVariable("X", 1.0, {Term(1000.0, {{0, 1.0}})});
        hand.model.equations[0].state = kStateDefined;
        KRMForm_integrator solver(&hand.model, &hand.form);
        Solve(solver);
        EXPECT_EQ(solver.status, kStatusTooBig);
        EXPECT_EQ(solver.columns, 1);
        ASSERT_EQ(solver.rows, 2);
        EXPECT_EQ(Cell(solver, 1, 0), 0.5);
    }
    {
        // X' = X^2 from 1 blows up at t = 1: the steps shrink to nothing.
        HandModel hand(0.0, 2.0, 0.5);
        hand.AddVariable("X", 1.0, {Term(1.0, {{0, 2.0}})});
        KRMForm_integrator solver(&hand.model, &hand.form);
        Solve(solver);
        EXPECT_EQ(solver.status, kStatusStepTooSmall);
        EXPECT_GE(solver.rows, 3); // the last one where the steps gave out
        EXPECT_NEAR(Cell(solver, solver.rows - 1, 0), 1.0, 1e-6);
    }
    {
        HandModel hand(0.0, 10.0, 10.0);
        hand.AddVariable("N", 0.5, {Term(1.0, {{0, 1.0}}), Term(-0.1, {{0, 2.0}})});
        KRMForm_integrator solver(&hand.model, &hand.form);
        solver.maxSteps = 3;
        Solve(solver);
        EXPECT_EQ(solver.status, kStatusStepLimit);
        EXPECT_EQ(solver.rows, 1);
    }
}

TEST(TaylorIntegrator, WithoutResultsNoRowsButTheFinalState) {
    HandModel hand(0.0, 1.0, 5.0);
    hand.AddVariable("X", 1.0, {Term(-1.0, {{0, 1.0}})});
    KRMForm_integrator solver(&hand.model, &hand.form);
    ASSERT_TRUE(solver.Init());
    solver.state = kSolverInitialise; // createResults stays clear
    while (solver.state != kSolverFinished)
        solver.Run();
    EXPECT_EQ(solver.status, kStatusComplete);
    EXPECT_EQ(solver.rows, 0);
    EXPECT_NEAR(solver.values[0], std::exp(-1.0), 1e-9);
}

TEST(TaylorIntegrator, BufferGrowsPastItsCapacity) {
    HandModel hand(0.0, 1.0, 0.01);
    hand.AddVariable("X", 1.0, {Term(-1.0, {{0, 1.0}})});
    KRMForm_integrator solver(&hand.model, &hand.form);
    ASSERT_TRUE(solver.Init());
    // Pretend the capacity formula fell short: a buffer of two rows.
    solver.results.Allocate(2 * static_cast<size_t>(solver.columns));
    solver.capacity = 2;
    solver.createResults = true;
    solver.state = kSolverInitialise;
    while (solver.state != kSolverFinished)
        solver.Run();
    ASSERT_EQ(solver.status, kStatusComplete);
    ASSERT_EQ(solver.rows, 101);
    EXPECT_GE(solver.capacity, 101);
    for (int row = 0; row < solver.rows; ++row)
        EXPECT_NEAR(Cell(solver, row, 1), std::exp(-Cell(solver, row, 0)), 1e-12);
}

} // namespace
} // namespace kora

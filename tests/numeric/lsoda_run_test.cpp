// The LSODA solver as the run driver uses it: slices, report rows, segment
// ends, failures, stop requests, backward runs and event continuation.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/krm_parser.h"
#include "numeric/lsoda.h"

namespace kora {
namespace {

// A model built from text with an LSODA solver initialised on it.
struct SolverRun {
    TextLines lines;
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};
    lsoda solver{&model};

    explicit SolverRun(TextLines text, double tolerance = 1e-6) : lines(std::move(text)) {
        model.Build(lines);
        EXPECT_EQ(sink.code, 0) << sink.context;
        EXPECT_TRUE(solver.Init());
        solver.createResults = true;
        solver.tolerance = tolerance;
        solver.state = kSolverInitialise;
    }

    // Runs slices until the solver finishes; returns the number of slices.
    int Finish() {
        int slices = 0;
        while (solver.state != kSolverFinished && slices < 10000000) {
            solver.Run();
            ++slices;
        }
        return slices;
    }

    double Time(int row) const { return solver.results.data()[row * solver.columns]; }
    double Value(int row, int column = 1) const {
        return solver.results.data()[row * solver.columns + column];
    }
};

TEST(LsodaRun, ReportRowsLieOnTheGridAndTheLastIsTheSegmentEnd) {
    // 0.3 does not divide 1: rows at k*0.3, then exactly 1.
    SolverRun run({"X' = -X", "X = 1", "tf = 1", "hr = 0.3", "!! X"});
    run.Finish();
    EXPECT_EQ(run.solver.status, kStatusComplete);
    ASSERT_EQ(run.solver.rows, 5);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(run.Time(k), 0.0 + k * 0.3);
    EXPECT_EQ(run.Time(4), 1.0);
    for (int k = 0; k < 5; ++k)
        EXPECT_NEAR(run.Value(k), std::exp(-run.Time(k)), 1e-5);
    EXPECT_NEAR(run.solver.values[0], std::exp(-1.0), 1e-5);
}

TEST(LsodaRun, SegmentShorterThanTheIntervalGivesItsTwoEnds) {
    SolverRun run({"X' = -X", "X = 1", "tf = 1", "hr = 0.5", "!! X"});
    run.solver.segmentEnd = 0.2; // as when an event falls at 0.2
    run.Finish();
    EXPECT_EQ(run.solver.status, kStatusComplete);
    ASSERT_EQ(run.solver.rows, 2);
    EXPECT_EQ(run.Time(0), 0.0);
    EXPECT_EQ(run.Time(1), 0.2);
    EXPECT_NEAR(run.Value(1), std::exp(-0.2), 1e-6);

    // A run of no length ends at once with one row, its start state.
    SolverRun empty({"X' = -X", "X = 1", "t0 = 2", "tf = 2", "hr = 0.5", "!! X"});
    empty.Finish();
    EXPECT_EQ(empty.solver.status, kStatusComplete);
    ASSERT_EQ(empty.solver.rows, 1);
    EXPECT_EQ(empty.Time(0), 2.0);
    EXPECT_EQ(empty.Value(0), 1.0);
}

// The switches themselves are checked against the published solver; here the
// statistics must record each one.
TEST(LsodaRun, StatisticsRecordEveryMethodSwitch) {
    SolverRun run({"y1' = y2", "y2' = 1000 * (1 - y1^2) * y2 - y1", "y1 = 2", "y2 = 0", "tf = 3000",
                   "hr = 300", "!! y1"});
    int switches = 0, method = 0;
    while (run.solver.state != kSolverFinished) {
        run.solver.Run();
        const int used = run.solver.engine.mused;
        if (run.solver.state == kSolverStepping && run.solver.engine.nst > 0 && used != method) {
            switches += method != 0;
            method = used;
        }
    }
    EXPECT_EQ(run.solver.status, kStatusComplete);
    const LsodaStatistics& stats = run.solver.Statistics();
    EXPECT_GE(switches, 2);
    EXPECT_EQ(stats.switchCount, switches);
    ASSERT_EQ(stats.switchTimes.size(), static_cast<size_t>(switches));
    EXPECT_LT(stats.switchTimes[0], stats.switchTimes[1]);
    EXPECT_EQ(stats.methodInUse, method);
    EXPECT_GT(stats.jacobianEvaluations, 0);
}

TEST(LsodaRun, StopRequestClosesAtTheNextSliceWithoutAnotherRow) {
    SolverRun run({"X' = -X", "X = 1", "tf = 100", "hr = 0.01", "!! X"});
    for (int i = 0; i < 50; ++i)
        run.solver.Run();
    const int rows = run.solver.rows;
    run.solver.status = kStatusStopped; // what the solver thread does on Stop
    run.solver.Run();
    EXPECT_EQ(run.solver.state, kSolverFinished);
    EXPECT_EQ(run.solver.status, kStatusStopped);
    EXPECT_EQ(run.solver.rows, rows);
    // values hold the last reported state, not a half-finished step.
    EXPECT_EQ(run.solver.values[0], run.Value(rows - 1));
}

TEST(LsodaRun, EvaluationFailureAtTheStartNamesTheQuantity) {
    // The build checks the initial state, so the failing start comes from a
    // value set afterwards, as an event would set it.
    SolverRun derivative({"X' = ln[X - 2]", "X = 3", "tf = 1", "hr = 0.1", "!! X"});
    derivative.solver.values[0] = 1.0;
    derivative.Finish();
    EXPECT_EQ(derivative.solver.status, kEvalDomain);
    EXPECT_EQ(derivative.solver.errorIndex, 0u);
    EXPECT_EQ(derivative.solver.rows, 1);
    EXPECT_EQ(derivative.solver.values[0], 1.0);

    // An auxiliary counts after the variables.
    SolverRun auxiliary(
        {"X' = a", "Y' = 1", "X = 1", "Y = 3", "a = ln[Y - X]", "tf = 1", "hr = 0.1", "!! X"});
    auxiliary.solver.values[1] = 0.5;
    auxiliary.solver.Run(); // the start row already evaluates the auxiliary
    auxiliary.Finish();
    EXPECT_EQ(auxiliary.solver.status, kEvalDomain);
    EXPECT_EQ(auxiliary.solver.errorIndex, 2u);
    EXPECT_EQ(auxiliary.solver.rows, 0);
}

TEST(LsodaRun, EvaluationFailureInsideAStepIsRetriedShorterUntilItCannotBe) {
    // y is defined up to t = 2; the steps that reach past it are cut back
    // until they are lost in the roundoff of t.
    SolverRun run({"X' = 1", "X = 1", "y = ln[3 - X]", "tf = 4", "hr = 0.5", "!! X, y"});
    const int slices = run.Finish();
    EXPECT_TRUE(run.solver.status == kEvalDomain || run.solver.status == kEvalSingularity)
        << run.solver.status;
    EXPECT_EQ(run.solver.errorIndex, 1u);
    // Every row before the failure stays; the failure adds no row of its own.
    ASSERT_EQ(run.solver.rows, 4);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(run.Time(k), 0.5 * k);
        EXPECT_NEAR(run.Value(k, 2), std::log(2.0 - 0.5 * k), 1e-9);
    }
    EXPECT_LT(slices, 1000);
}

TEST(LsodaRun, ZeroOverZeroFailsAsDivisionByZeroWithoutANaNRow) {
    SolverRun run(
        {"X' = -X", "X = 1", "v = (_time - 1)/(_time - 1)", "tf = 2", "hr = 0.5", "!! X, v"});
    run.Finish();
    EXPECT_EQ(run.solver.status, kEvalDivision);
    EXPECT_EQ(run.solver.errorIndex, 1u);
    ASSERT_EQ(run.solver.rows, 2);
    for (int k = 0; k < run.solver.rows * run.solver.columns; ++k)
        EXPECT_FALSE(std::isnan(run.solver.results.data()[k]));
}

class ManySteps : public LsodaRhs {
public:
    bool Derivatives(double t, const double*, double* ydot) override {
        ydot[0] = std::cos(1e4 * t);
        return true;
    }
};

TEST(LsodaRun, StepLimitEndsWithARowAtTheTimeReached) {
    SolverRun run({"X' = 0", "X = 0", "tf = 200", "hr = 100", "!! X"});
    ManySteps rhs;
    run.solver.SetRightHandSide(&rhs);
    run.Finish();
    EXPECT_EQ(run.solver.status, kStatusStepLimit);
    ASSERT_EQ(run.solver.rows, 2);
    const double reached = run.Time(1);
    EXPECT_GT(reached, 0.0);
    EXPECT_LT(reached, 100.0);
    EXPECT_NEAR(run.Value(1), std::sin(1e4 * reached) / 1e4, 1e-6);
    EXPECT_EQ(run.solver.Statistics().steps, LsodaEngine::kMxstep);
}

TEST(LsodaRun, BackwardRunSeesMirroredTimeAndStoresModelTimes) {
    // dX/dt = t from t = 1 down to 0: X(t) = (t^2 - 1) / 2.
    SolverRun run({"X' = _time", "X = 0", "t0 = 1", "tf = 0", "hr = 0.25", "!! X"});
    run.Finish();
    EXPECT_EQ(run.solver.status, kStatusComplete);
    ASSERT_EQ(run.solver.rows, 5);
    for (int k = 0; k < 5; ++k) {
        const double t = 1.0 - 0.25 * k;
        EXPECT_DOUBLE_EQ(run.Time(k), t);
        EXPECT_NEAR(run.Value(k), (t * t - 1.0) / 2.0, 1e-7);
    }
}

TEST(LsodaRun, EventSegmentContinuesTheRowsAndTheStatistics) {
    SolverRun run({"X' = -X", "X = 1", "tf = 1", "hr = 0.25", "!! X"});
    run.solver.segmentEnd = 0.5;
    run.Finish();
    ASSERT_EQ(run.solver.status, kStatusComplete);
    const int64_t firstSteps = run.solver.Statistics().steps;
    ASSERT_EQ(run.solver.rows, 3);

    // What the driver does at an event: new start, end and values, state 0.
    run.solver.t0 = 0.5;
    run.solver.segmentEnd = 1.0;
    run.solver.values[0] = 2.0;
    run.solver.state = kSolverInitialise;
    run.Finish();
    EXPECT_EQ(run.solver.status, kStatusComplete);
    ASSERT_EQ(run.solver.rows, 6);
    EXPECT_EQ(run.Time(3), 0.5);
    EXPECT_EQ(run.Value(3), 2.0);
    EXPECT_EQ(run.Time(5), 1.0);
    EXPECT_NEAR(run.Value(5), 2.0 * std::exp(-0.5), 1e-5);
    EXPECT_GT(run.solver.Statistics().steps, firstSteps);
}

TEST(LsodaRun, IllegalInputAndAccuracyBeyondMachinePrecision) {
    SolverRun negative({"X' = -X", "X = 1", "tf = 1", "hr = 0.5", "!! X"});
    negative.solver.tolerance = -1e-6;
    negative.Finish();
    EXPECT_EQ(negative.solver.status, kStatusIllegalInput);
    EXPECT_EQ(negative.solver.rows, 1);

    // rtol 1e-18 on a value of 1e6 asks for more than the machine has (atol no
    // longer dominates): refused before the first step.
    SolverRun tight({"X' = -X", "X = 1e6", "tf = 1", "hr = 0.5", "!! X"}, 1e-18);
    tight.solver.Run();
    tight.solver.Run();
    EXPECT_EQ(tight.solver.status, kStatusIllegalInput);
    EXPECT_GT(tight.solver.engine.RealOutput(14), 200.0 * 0.01); // tolsf, scaled as published
    tight.Finish();
    EXPECT_EQ(tight.solver.status, kStatusIllegalInput);
}

TEST(LsodaRun, TwoSolversSlicedInTurnDoNotDisturbEachOther) {
    const TextLines stiff = {
        "y1' = y2", "y2' = 1000 * (1 - y1^2) * y2 - y1", "y1 = 2", "y2 = 0", "tf = 100", "hr = 10",
        "!! y1"};
    const TextLines gentle = {"X' = -X", "X = 1", "tf = 5", "hr = 0.5", "!! X"};
    SolverRun aloneStiff(stiff), aloneGentle(gentle);
    aloneStiff.Finish();
    aloneGentle.Finish();

    SolverRun a(stiff), b(gentle);
    while (a.solver.state != kSolverFinished || b.solver.state != kSolverFinished) {
        a.solver.Run();
        b.solver.Run();
    }
    ASSERT_EQ(a.solver.rows, aloneStiff.solver.rows);
    ASSERT_EQ(b.solver.rows, aloneGentle.solver.rows);
    for (int k = 0; k < a.solver.rows; ++k)
        EXPECT_EQ(a.Value(k), aloneStiff.Value(k));
    for (int k = 0; k < b.solver.rows; ++k)
        EXPECT_EQ(b.Value(k), aloneGentle.Value(k));
    EXPECT_EQ(a.solver.Statistics().steps, aloneStiff.solver.Statistics().steps);
}

TEST(LsodaRun, AnIfSwitchGivesThePiecewiseSolution) {
    // X rises at rate 2 until t = 1, then decays: X(t) = 2 e^-(t-1) after.
    SolverRun run({"X' = if[_time < 1, 2, -X]", "X = 0", "tf = 3", "hr = 0.5", "!! X"}, 1e-8);
    run.Finish();
    ASSERT_EQ(run.solver.status, kStatusComplete);
    ASSERT_EQ(run.solver.rows, 7);
    EXPECT_NEAR(run.Value(1), 1.0, 1e-6);
    EXPECT_NEAR(run.Value(2), 2.0, 1e-5);
    EXPECT_NEAR(run.Value(6), 2.0 * std::exp(-2.0), 1e-5);
}

} // namespace
} // namespace kora

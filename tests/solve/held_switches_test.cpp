// Switches inside equations and definitions are held for a segment and the
// solver restarts where they flip: answers against closed forms, step counts
// against the same model without switches, and the fallback for a switch the
// state slides along.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "driver_document.h"

namespace kora {
namespace {

int32_t Column(const TimeCourse& course, const std::string& name) {
    for (size_t c = 0; c < course.names.size(); ++c)
        if (course.names[c] == name) return static_cast<int32_t>(c);
    ADD_FAILURE() << "no column " << name;
    return 0;
}

RunOutcome RunLsoda(const TextLines& lines, int logTolerance, bool locate = true) {
    testing::DriverDocument doc;
    RunConfiguration configuration;
    configuration.method = SolverMethod::Lsoda;
    configuration.logTolerance = logTolerance;
    configuration.locateSwitches = locate;
    return doc.Run(lines, configuration);
}

// Y follows 100 once X passes 5, Z follows Y once X passes 7.
double ExactY(double t) {
    return t <= 5.0 ? 0.0 : 100.0 * (1.0 - std::exp(-(t - 5.0)));
}
double ExactZ(double t) {
    return t <= 7.0
               ? 0.0
               : 100.0 * (1.0 - std::exp(-(t - 7.0))) - 100.0 * (t - 7.0) * std::exp(-(t - 5.0));
}

const TextLines kSwitched{
    "X' = 1", "Y' = 100*flag[X - 5] - Y", "Z' = Y*flag[X - 7] - Z", "X = 0", "Y = 0", "Z = 0",
    "tf = 10"};
const TextLines kSmooth{"X' = 1", "Y' = 100 - Y", "Z' = Y - Z", "X = 0",
                        "Y = 0",  "Z = 0",        "tf = 10"};

void ExpectExactRows(const RunOutcome& outcome, double tolerance) {
    ASSERT_TRUE(outcome.Succeeded()) << outcome.code << " " << outcome.context;
    const TimeCourse& course = *outcome.timeCourse;
    EXPECT_EQ(course.rows, 201); // a switch that fires no event leaves no row
    for (int32_t r = 0; r < course.rows; ++r) {
        const double t = course.Value(r, 0);
        EXPECT_NEAR(course.Value(r, 2), ExactY(t), tolerance) << t;
        EXPECT_NEAR(course.Value(r, 3), ExactZ(t), tolerance) << t;
    }
}

TEST(HeldSwitches, SwitchedModelTakesStepsComparableWithTheSmoothOne) {
    for (int logTolerance : {6, 9}) {
        const RunOutcome switched = RunLsoda(kSwitched, logTolerance);
        const RunOutcome smooth = RunLsoda(kSmooth, logTolerance);
        ExpectExactRows(switched, 1e-4);
        ASSERT_TRUE(smooth.Succeeded());
        // Three smooth pieces, each started afresh: at most twice the steps.
        EXPECT_LT(switched.statistics.steps, 2 * smooth.statistics.steps) << logTolerance;
    }
}

// The same switch written in the forms that hold it: inside a definition,
// as a condition of if[], nested in another switch, and as relations
// combined by a logical function.
TEST(HeldSwitches, EveryFormOfSwitchIsExact) {
    for (const std::string& form :
         {std::string("a"), std::string("if[X > 5, 100, 0]"),
          std::string("100*flag[flag[X - 5] - 0.5]"), std::string("100*and[X >= 5, X < 20]")}) {
        const RunOutcome outcome =
            RunLsoda({"a = 100*flag[X - 5]", "X' = 1", "Y' = " + form + " - Y", "X = 0", "Y = 0",
                      "tf = 10", "hr = 0.5"},
                     8);
        ASSERT_TRUE(outcome.Succeeded()) << form << ": " << outcome.code;
        const TimeCourse& course = *outcome.timeCourse;
        for (int32_t r = 0; r < course.rows; ++r) {
            const double t = course.Value(r, 0);
            EXPECT_NEAR(course.Value(r, Column(course, "Y")), ExactY(t), 1e-5)
                << form << " at " << t;
        }
    }
}

// Started on its switch, X moves to one side at once: the switch holds the
// value of that side, not the value on the switch itself.
TEST(HeldSwitches, AStartOnTheSwitchTakesTheSideTheStateMovesTo) {
    for (const double rate : {1.0, -1.0}) {
        const RunOutcome outcome =
            RunLsoda({"X' = " + std::to_string(rate), "Y' = 100*flag[X - 5] - Y", "X = 5", "Y = 0",
                      "tf = 2", "hr = 0.5"},
                     8);
        ASSERT_TRUE(outcome.Succeeded()) << rate;
        const TimeCourse& course = *outcome.timeCourse;
        for (int32_t r = 0; r < course.rows; ++r) {
            const double t = course.Value(r, 0);
            const double exact = rate > 0 ? 100.0 * (1.0 - std::exp(-t)) : 0.0;
            EXPECT_NEAR(course.Value(r, Column(course, "Y")), exact, 1e-5) << rate << " at " << t;
        }
    }
}

// A guard keeps its operand inside its domain: trial steps past the guard,
// while it is still held on the old side, must not end the run.
TEST(HeldSwitches, AGuardedFunctionPastItsGuardDoesNotStopTheRun) {
    const RunOutcome outcome = RunLsoda(
        {"X' = G", "G = if[_time < 2, sqrt[2 - _time], 0]", "X = 0", "tf = 4", "hr = 0.5"}, 8);
    ASSERT_TRUE(outcome.Succeeded()) << outcome.code << " " << outcome.context;
    const TimeCourse& course = *outcome.timeCourse;
    // X(t) is the integral of sqrt(2 - s) up to t, constant after the guard.
    for (int32_t r = 0; r < course.rows; ++r) {
        const double t = course.Value(r, 0);
        const double rest = t < 2.0 ? std::pow(2.0 - t, 1.5) : 0.0;
        const double exact = 2.0 / 3.0 * (std::pow(2.0, 1.5) - rest);
        EXPECT_NEAR(course.Value(r, Column(course, "X")), exact, 1e-5) << t;
    }
}

// X is held on the switch (sliding): located again at once, each time, the
// switch is evaluated live as without location, so the run ends as before,
// with the same rows.
TEST(HeldSwitches, ASwitchTheStateSlidesAlongRunsAsWithoutLocation) {
    const TextLines sliding{"X' = 1 - 2*flag[X - 5]", "X = 0", "tf = 10"};
    const RunOutcome located = RunLsoda(sliding, 6);
    const RunOutcome through = RunLsoda(sliding, 6, false);
    ASSERT_TRUE(located.Succeeded()) << located.code;
    ASSERT_TRUE(through.Succeeded()) << through.code;
    ASSERT_EQ(located.timeCourse->rows, through.timeCourse->rows);
    for (int32_t r = 0; r < located.timeCourse->rows; ++r) {
        EXPECT_EQ(located.timeCourse->Value(r, 0), through.timeCourse->Value(r, 0));
        EXPECT_EQ(located.timeCourse->Value(r, 1), through.timeCourse->Value(r, 1));
    }

    // Held at 5 by a stiff switch: it ends, whether or not within the step limit.
    const RunOutcome stiff =
        RunLsoda({"X' = 2 - 0.1*X - 3*flag[X - 5]*X", "X = 0", "tf = 10", "hr = 1"}, 6);
    EXPECT_TRUE(stiff.Succeeded() || stiff.code == kStatusStepLimit) << stiff.code;
}

} // namespace
} // namespace kora

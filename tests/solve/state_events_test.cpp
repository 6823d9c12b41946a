// Events triggered by conditions, against closed forms: where the solvers
// stop, what fires in which order, and the rows a run keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "driver_document.h"

namespace kora {
namespace {

struct Document : testing::DriverDocument {
    RunOutcome Run(const TextLines& lines, SolverMethod method = SolverMethod::Lsoda,
                   int logTolerance = 10, bool locate = true) {
        RunConfiguration configuration;
        configuration.method = method;
        configuration.logTolerance = logTolerance;
        configuration.locateSwitches = locate;
        return DriverDocument::Run(lines, configuration);
    }
};

// Times that occur twice in a row: the event times of a time course.
std::vector<double> EventTimes(const TimeCourse& course) {
    std::vector<double> times;
    for (int32_t r = 1; r < course.rows; ++r)
        if (course.Value(r, 0) == course.Value(r - 1, 0)) times.push_back(course.Value(r, 0));
    return times;
}

int32_t RowAt(const TimeCourse& course, double time, int32_t from = 0) {
    for (int32_t r = from; r < course.rows; ++r)
        if (std::fabs(course.Value(r, 0) - time) < 1e-12) return r;
    return -1;
}

TEST(StateEvents, BouncingBallMatchesTheClosedForm) {
    // Falls from 10 under g = 9.81; each bounce keeps 0.8 of the speed.
    Document doc;
    const RunOutcome outcome = doc.Run({"h' = v", "v' = -9.81", "h = 10", "v = 0", "tf = 8",
                                        "hr = 0.5", "@ [h < 0] v = -0.8*v", "!! h, v"});
    ASSERT_TRUE(outcome.Succeeded()) << outcome.code << " " << outcome.context;
    const TimeCourse& course = *outcome.timeCourse;
    const double g = 9.81;
    double t = std::sqrt(2.0 * 10.0 / g);
    double speed = g * t;
    std::vector<double> expected;
    while (t < 8.0) {
        expected.push_back(t);
        speed *= 0.8;
        t += 2.0 * speed / g;
    }
    const std::vector<double> times = EventTimes(course);
    ASSERT_EQ(times.size(), expected.size());
    for (size_t k = 0; k < times.size(); ++k)
        EXPECT_NEAR(times[k], expected[k], 1e-8) << "bounce " << k;
    // Before and after the first bounce: the speed is reversed and reduced.
    const int32_t first = RowAt(course, times[0]);
    EXPECT_NEAR(course.Value(first, 1), 0.0, 1e-8);
    EXPECT_NEAR(course.Value(first, 2), -std::sqrt(2.0 * g * 10.0), 1e-7);
    EXPECT_NEAR(course.Value(first + 1, 2), 0.8 * std::sqrt(2.0 * g * 10.0), 1e-7);
    // The report grid is not moved by the bounces: every half unit is there.
    for (int k = 0; k <= 16; ++k)
        EXPECT_GE(RowAt(course, 0.5 * k), 0) << 0.5 * k;
    EXPECT_EQ(course.rows, 17 + 2 * static_cast<int32_t>(expected.size()));
    // The apex after the first bounce: (0.8 v1)^2 / 2g.
    const double v1 = 0.8 * std::sqrt(2.0 * g * 10.0);
    EXPECT_NEAR(course.Value(RowAt(course, 2.0), 1),
                v1 * (2.0 - times[0]) - 0.5 * g * std::pow(2.0 - times[0], 2), 1e-7);
}

TEST(StateEvents, DecayResetAtAThresholdInBothSolvers) {
    // X = exp(-k t) falls to 1/4 at ln(4)/k, is reset to 1, and again.
    const TextLines model{"k = 0.7", "X' = -k*X",          "X = 1", "tf = 10",
                          "hr = 1",  "@ [X < 0.25] X = 1", "!! X"};
    const double period = std::log(4.0) / 0.7;
    for (SolverMethod method : {SolverMethod::Lsoda, SolverMethod::Taylor}) {
        Document doc;
        const RunOutcome outcome = doc.Run(model, method);
        ASSERT_TRUE(outcome.Succeeded()) << outcome.code << " " << outcome.context;
        const TimeCourse& course = *outcome.timeCourse;
        const std::vector<double> times = EventTimes(course);
        ASSERT_EQ(times.size(), 5u);
        for (size_t k = 0; k < times.size(); ++k)
            EXPECT_NEAR(times[k], (k + 1) * period, 1e-8);
        const int32_t last = course.rows - 1;
        EXPECT_EQ(course.Value(last, 0), 10.0);
        EXPECT_NEAR(course.Value(last, 1), std::exp(-0.7 * (10.0 - 5.0 * period)), 1e-8);
    }
}

TEST(StateEvents, DelayedDosesFireAfterTheirDelay) {
    // A dose of 10 half a unit after C first falls below 2, values computed
    // when it fires; the first dose is given at time 1 by the clock.
    Document doc;
    const RunOutcome outcome =
        doc.Run({"C' = -0.5*C", "C = 0", "tf = 4", "hr = 0.5",
                 "@ [_time >= 1; delay = 0.5; values = fire] C = C + 10", "!! C"});
    ASSERT_TRUE(outcome.Succeeded()) << outcome.code << " " << outcome.context;
    const TimeCourse& course = *outcome.timeCourse;
    ASSERT_EQ(EventTimes(course).size(), 1u);
    EXPECT_NEAR(EventTimes(course)[0], 1.5, 1e-12);
    const int32_t dose = RowAt(course, EventTimes(course)[0]);
    EXPECT_EQ(course.Value(dose, 1), 0.0);
    EXPECT_EQ(course.Value(dose + 1, 1), 10.0);
    EXPECT_NEAR(course.Value(course.rows - 1, 1), 10.0 * std::exp(-0.5 * 2.5), 1e-8);
    // The grid row at the trigger time 1 stays a single row.
    EXPECT_GE(RowAt(course, 1.0), 0);
    EXPECT_EQ(course.rows, 9 + 1);
}

TEST(StateEvents, ValuesAtTriggerTimeAndAtFiringTime) {
    // X grows as e^t; both events trigger when X passes 2 and fire 1 later.
    for (const char* values : {"trigger", "fire"}) {
        Document doc;
        const RunOutcome outcome = doc.Run(
            {"X' = X", "X = 1", "Y' = 0", "Y = 0", "tf = 2", "hr = 0.25",
             std::string("@ [X > 2; delay = 1; values = ") + values + "] Y = X", "!! X, Y"});
        ASSERT_TRUE(outcome.Succeeded()) << outcome.code;
        const TimeCourse& course = *outcome.timeCourse;
        const double fire = std::log(2.0) + 1.0;
        EXPECT_EQ(EventTimes(course).size(), 1u); // the trigger's own switch has no rows
        const double expected = std::string(values) == "trigger" ? 2.0 : std::exp(fire);
        EXPECT_NEAR(course.Value(course.rows - 1, 2), expected, 1e-7);
    }
}

TEST(StateEvents, PrioritiesOrderEventsAtOneTime) {
    // Both fire when X falls below 0.5; with values computed at firing time
    // the order shows: +1 then *2 gives 4, *2 then +1 gives 3.
    const auto run = [](const std::string& first, const std::string& second) {
        Document doc;
        const RunOutcome outcome =
            doc.Run({"X' = -X", "X = 1", "a = 1", "tf = 1",
                     "@ [X < 0.5; values = fire" + first + "] a = a*2",
                     "@ [X < 0.5; values = fire" + second + "] a = a + 1", "!! X, a"});
        EXPECT_TRUE(outcome.Succeeded()) << outcome.code << " " << outcome.context;
        return outcome.timeCourse->Value(outcome.timeCourse->rows - 1, 2);
    };
    EXPECT_EQ(run("; priority = 1", "; priority = 2"), 4.0);
    EXPECT_EQ(run("; priority = 2", "; priority = 1"), 3.0);
    EXPECT_EQ(run("", ""), 3.0);                // text order
    EXPECT_EQ(run("", "; priority = -5"), 4.0); // a priority goes before none
}

TEST(StateEvents, NonPersistentDelayedEventIsCancelled) {
    // X = sin(t) is above 0.5 from pi/6 to 5pi/6 (about 2.09 long): a delay
    // of 3 outlasts it, so only the persistent event fires.
    for (const char* persistent : {"yes", "no"}) {
        Document doc;
        const RunOutcome outcome =
            doc.Run({"X' = cos[_time]", "X = 0", "k = 0", "tf = 4", "hr = 1",
                     std::string("@ [X > 0.5; delay = 3; persistent = ") + persistent + "] k = 1",
                     "!! X, k"});
        ASSERT_TRUE(outcome.Succeeded()) << outcome.code << " " << outcome.context;
        const TimeCourse& course = *outcome.timeCourse;
        const double k = course.Value(course.rows - 1, 2);
        EXPECT_EQ(k, std::string(persistent) == "yes" ? 1.0 : 0.0);
        if (k == 1.0) {
            EXPECT_NEAR(EventTimes(course).back(), std::asin(0.5) + 3.0, 1e-8);
        }
    }
}

TEST(StateEvents, TriggerTrueAtTheStart) {
    // True at t0: it fires there only when its value before t0 is false.
    for (const char* initial : {"true", "false"}) {
        Document doc;
        const RunOutcome outcome =
            doc.Run({"X' = -X", "X = 4", "tf = 1", "hr = 0.5",
                     std::string("@ [X > 1; initial = ") + initial + "] X = X/2", "!! X"});
        ASSERT_TRUE(outcome.Succeeded()) << outcome.code << " " << outcome.context;
        const TimeCourse& course = *outcome.timeCourse;
        if (std::string(initial) == "true") {
            EXPECT_EQ(course.rows, 3);
            EXPECT_NEAR(course.Value(2, 1), 4.0 * std::exp(-1.0), 1e-8);
        } else {
            ASSERT_EQ(course.rows, 4);
            EXPECT_EQ(course.Value(0, 0), 0.0);
            EXPECT_EQ(course.Value(1, 0), 0.0);
            EXPECT_EQ(course.Value(0, 1), 4.0);
            EXPECT_EQ(course.Value(1, 1), 2.0);
            EXPECT_NEAR(course.Value(3, 1), 2.0 * std::exp(-1.0), 1e-8);
        }
    }
}

TEST(StateEvents, CascadesFireAtOneTimeAndRunawaysAreModelErrors) {
    {
        // Y's assignment makes the second trigger true at the same moment.
        Document doc;
        const RunOutcome outcome =
            doc.Run({"X' = 1", "X = 0", "Y = 0", "Z = 0", "tf = 3", "hr = 1", "@ [X > 1.5] Y = 1",
                     "@ [Y > 0.5] Z = X*2", "!! X, Y, Z"});
        ASSERT_TRUE(outcome.Succeeded()) << outcome.code << " " << outcome.context;
        const TimeCourse& course = *outcome.timeCourse;
        EXPECT_EQ(EventTimes(course).size(), 1u);
        const int32_t last = course.rows - 1;
        EXPECT_EQ(course.Value(last, 2), 1.0);
        EXPECT_NEAR(course.Value(last, 3), 3.0, 1e-8);
    }
    {
        // Each event makes the other's trigger true again: never settles.
        Document doc;
        const RunOutcome outcome =
            doc.Run({"X' = 1", "X = 0", "s = 0", "tf = 3", "@ [X > 1; values = fire] s = 1 - s",
                     "@ [s > 0.5] s = 0", "@ [s < 0.5] s = 1"});
        EXPECT_EQ(outcome.category, kCategoryModel);
        EXPECT_EQ(outcome.code, 42);
        EXPECT_FALSE(outcome.timeCourse.has_value()); // nothing half-run
    }
}

TEST(StateEvents, AllValuesOfAnEventAreComputedBeforeAnyIsAssigned) {
    Document doc;
    const RunOutcome outcome = doc.Run({"X' = 0", "Y' = 0", "X = 1", "Y = 2", "T' = 1", "T = 0",
                                        "tf = 1", "@ [T > 0.5] X = Y, Y = X", "!! X, Y"});
    ASSERT_TRUE(outcome.Succeeded()) << outcome.code << " " << outcome.context;
    const TimeCourse& course = *outcome.timeCourse;
    EXPECT_EQ(course.Value(course.rows - 1, 1), 2.0);
    EXPECT_EQ(course.Value(course.rows - 1, 2), 1.0);
}

TEST(StateEvents, TimedEventsTakeSeveralAssignmentsAndStateValues) {
    Document doc;
    const RunOutcome outcome = doc.Run(
        {"k = 1", "X' = -k*X", "X = 1", "tf = 2", "hr = 0.5", "@ 1 X = X/2, k = 2", "!! X, k"});
    ASSERT_TRUE(outcome.Succeeded()) << outcome.code << " " << outcome.context;
    const TimeCourse& course = *outcome.timeCourse;
    const int32_t at = RowAt(course, 1.0);
    EXPECT_NEAR(course.Value(at + 1, 1), 0.5 * std::exp(-1.0), 1e-9);
    EXPECT_EQ(course.Value(at + 1, 2), 2.0);
    EXPECT_NEAR(course.Value(course.rows - 1, 1), 0.5 * std::exp(-1.0 - 2.0), 1e-9);
}

TEST(StateEvents, LsodaCrossingsAgreeWithAnIndependentSolver) {
    // Downward zero crossings of the van der Pol oscillator (mu = 1) and
    // upward crossings of P = 5 by the prey of a predator-prey model; the
    // references are SciPy's solve_ivp event times at rtol 1e-12.
    struct Case {
        TextLines model;
        std::vector<double> reference;
    };
    const std::vector<Case> cases{{{"x' = v", "v' = (1 - x^2)*v - x", "x = 2", "v = 0", "c = 0",
                                    "tf = 20", "hr = 1", "@ [x < 0] c = c + 1"},
                                   {2.161694993869, 8.824793913746, 15.488080611333}},
                                  {{"P' = 1.1*P - 0.4*P*Q", "Q' = 0.1*P*Q - 0.4*Q", "P = 10",
                                    "Q = 10", "c = 0", "tf = 30", "hr = 1", "@ [P > 5] c = c + 1"},
                                   {11.493213419328, 25.836727078218}}};
    for (const Case& c : cases) {
        Document doc;
        const RunOutcome outcome = doc.Run(c.model, SolverMethod::Lsoda, 10);
        ASSERT_TRUE(outcome.Succeeded()) << outcome.code;
        const std::vector<double> times = EventTimes(*outcome.timeCourse);
        ASSERT_EQ(times.size(), c.reference.size()) << c.model[0];
        for (size_t k = 0; k < times.size(); ++k)
            EXPECT_NEAR(times[k], c.reference[k], 1e-7) << c.model[0] << " crossing " << k;
    }
}

TEST(StateEvents, CompoundTriggersFireWhenTheWholeConditionBecomesTrue) {
    // X = t passes 1 while Y = 3 - t is still above 1.5: fires at t = 1.
    // The second fires when the first of its two conditions holds.
    Document doc;
    const RunOutcome outcome = doc.Run({"X' = 1", "Y' = -1", "X = 0", "Y = 3", "a = 0", "b = 0",
                                        "tf = 3", "hr = 0.5", "@ [and[X > 1, Y > 1.5]] a = _time",
                                        "@ [or[X > 2.5, Y < 1]] b = _time", "!! a, b"});
    ASSERT_TRUE(outcome.Succeeded()) << outcome.code << " " << outcome.context;
    const TimeCourse& course = *outcome.timeCourse;
    EXPECT_NEAR(course.Value(course.rows - 1, 1), 1.0, 1e-9);
    EXPECT_NEAR(course.Value(course.rows - 1, 2), 2.0, 1e-9);
}

// Y follows 100 after X passes 5: Y = 100 (1 - exp(-(t - 5))), with the
// switch in Y's equation written as `switched`. Located, the run is exact to
// the tolerance; integrated through, near it. Returns both outcomes.
std::pair<RunOutcome, RunOutcome> SwitchAtFive(const std::string& switched) {
    const TextLines model{
        "X' = 1", "Y' = " + switched + " - Y", "X = 0", "Y = 0", "tf = 10", "hr = 1", "!! Y"};
    Document located, through;
    RunOutcome a = located.Run(model, SolverMethod::Lsoda, 8, true);
    RunOutcome b = through.Run(model, SolverMethod::Lsoda, 8, false);
    EXPECT_TRUE(a.Succeeded());
    EXPECT_TRUE(b.Succeeded());
    if (!a.timeCourse || !b.timeCourse) return {std::move(a), std::move(b)};
    EXPECT_EQ(a.timeCourse->rows, 11); // a switch without an event has no rows
    EXPECT_EQ(b.timeCourse->rows, 11);
    for (int32_t r = 0; r < std::min(11, a.timeCourse->rows); ++r) {
        const double t = a.timeCourse->Value(r, 0);
        const double exact = t <= 5.0 ? 0.0 : 100.0 * (1.0 - std::exp(-(t - 5.0)));
        EXPECT_NEAR(a.timeCourse->Value(r, 1), exact, 1e-5) << t;
        if (r < b.timeCourse->rows) {
            EXPECT_NEAR(b.timeCourse->Value(r, 1), exact, 1e-3) << t;
        }
    }
    return {std::move(a), std::move(b)};
}

TEST(StateEvents, IfSwitchesGiveTheSameAnswerWithAndWithoutLocation) {
    SwitchAtFive("if[X > 5, 100, 0]");
}

TEST(StateEvents, FlagSwitchesGiveTheSameAnswerWithFewerSteps) {
    const auto [a, b] = SwitchAtFive("100*flag[X - 5]");
    EXPECT_LT(a.statistics.steps, b.statistics.steps);
}

TEST(StateEvents, ChatteringSwitchesFallBackToIntegratingThrough) {
    // X is held at 5 by the switch: located again and again, it would never
    // end; the run must still end, as it does without location.
    Document doc;
    const RunOutcome outcome = doc.Run(
        {"X' = 2 - 0.1*X - 3*flag[X - 5]*X", "X = 0", "tf = 10", "hr = 1"}, SolverMethod::Lsoda, 6);
    EXPECT_TRUE(outcome.Succeeded() || outcome.code == kStatusStepLimit) << outcome.code;
    ASSERT_TRUE(outcome.timeCourse.has_value());
    EXPECT_NEAR(outcome.timeCourse->Value(outcome.timeCourse->rows - 1, 1), 5.0, 1e-3);
}

TEST(StateEvents, BadEventsAreModelErrors) {
    struct Case {
        const char* line;
        int32_t code;
    };
    for (const Case& c :
         {Case{"@ [X] k = 1", 40}, Case{"@ [X > 1; sooner = 1] k = 1", 43},
          Case{"@ [X > 1; persistent = maybe] k = 1", 43}, Case{"@ [X > 1] v = 1", 22},
          Case{"@ [X > 1] nothing = 1", 22}, Case{"@ [X > 1 k = 1", 8},
          Case{"@ [X < 0.5; delay = -1] k = 1", 41}, Case{"@ [X < 0.5] k = ln[X - 0.5]", 44},
          Case{"@ [ln[X - 0.5] < -1] k = 1", 44}}) {
        Document doc;
        const RunOutcome outcome =
            doc.Run({"k = 0", "X' = -X", "X = 1", "v = 2*X", "tf = 2", c.line});
        EXPECT_EQ(outcome.category, kCategoryModel) << c.line;
        EXPECT_EQ(outcome.code, c.code) << c.line;
        EXPECT_EQ(outcome.context, c.line) << c.line;
        EXPECT_FALSE(outcome.timeCourse.has_value()) << c.line;
    }
}

} // namespace
} // namespace kora

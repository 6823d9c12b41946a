#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

#include "driver_document.h"
#include "model/messages.h"

namespace kora {
namespace {

using Document = testing::DriverDocument;

RunConfiguration AtTolerance(int logTolerance) {
    RunConfiguration configuration;
    configuration.logTolerance = logTolerance;
    return configuration;
}

TEST(RunDriver, SolvesAModelTextIntoANamedTimeCourse) {
    Document doc;
    int progressCalls = 0;
    const RunOutcome outcome =
        doc.Run({"NAME decay", "hr = 0.1", "k = 0.5", "X' = -k*X", "X = 2", "v = 3*X", "!! X, v"},
                AtTolerance(9), nullptr, [&](const winintegrator&) { ++progressCalls; });
    ASSERT_TRUE(outcome.Succeeded()) << outcome.code;
    ASSERT_TRUE(outcome.timeCourse.has_value());
    const TimeCourse& course = *outcome.timeCourse;
    EXPECT_EQ(course.names, (std::vector<std::string>{"t", "X", "v"}));
    ASSERT_EQ(course.rows, 11);
    EXPECT_EQ(course.Value(10, 0), 1.0);
    EXPECT_NEAR(course.Value(10, 1), 2.0 * std::exp(-0.5), 1e-12);
    EXPECT_NEAR(course.Value(10, 2), 6.0 * std::exp(-0.5), 1e-12);
    EXPECT_EQ(outcome.statistics.status, kStatusComplete);
    EXPECT_EQ(outcome.statistics.rows, 11);
    EXPECT_GE(progressCalls, 1);
    EXPECT_TRUE(doc.model.equations.empty()); // compiled data released after the run
}

TEST(RunDriver, EventsStartNewSegments) {
    {
        // k doubles at t = 0.5; the event time is stored as two rows.
        Document doc;
        const RunOutcome outcome = doc.Run(
            {"hr = 0.1", "k = 1", "X' = -k*X", "X = 1", "@ 0.5 k = 2", "!! X"}, AtTolerance(10));
        ASSERT_TRUE(outcome.Succeeded());
        const TimeCourse& course = *outcome.timeCourse;
        ASSERT_EQ(course.rows, 12);
        EXPECT_EQ(course.Value(5, 0), 0.5);
        EXPECT_EQ(course.Value(6, 0), 0.5);
        EXPECT_EQ(course.Value(11, 0), 1.0);
        EXPECT_NEAR(course.Value(11, 1), std::exp(-0.5 - 2.0 * 0.5), 1e-9);
        EXPECT_EQ(outcome.statistics.steps, 2); // one per segment, counted over both
    }
    {
        // Two assignments at one time apply together; one makes X negative.
        Document doc;
        const RunOutcome outcome = doc.Run(
            {"hr = 0.1", "k = 1", "X' = -k*X", "X = 1", "@ 0.5 X = -3", "@ 0.5 k = 2", "!! X"},
            AtTolerance(10));
        ASSERT_TRUE(outcome.Succeeded()) << outcome.code;
        const TimeCourse& course = *outcome.timeCourse;
        ASSERT_EQ(course.rows, 12);
        EXPECT_NEAR(course.Value(5, 1), std::exp(-0.5), 1e-9);
        EXPECT_EQ(course.Value(6, 1), -3.0);
        EXPECT_NEAR(course.Value(11, 1), -3.0 * std::exp(-1.0), 1e-9);
    }
}

TEST(RunDriver, BackwardRunWithAnEvent) {
    // From t = 2 back to t = 0; at model time 1, X is reset to 5.
    Document doc;
    const RunOutcome outcome = doc.Run(
        {"t0 = 2", "tf = 0", "hr = 0.5", "X' = X", "X = 1", "@ 1 X = 5", "!! X"}, AtTolerance(10));
    ASSERT_TRUE(outcome.Succeeded()) << outcome.code;
    const TimeCourse& course = *outcome.timeCourse;
    ASSERT_EQ(course.rows, 6);
    EXPECT_EQ(course.Value(0, 0), 2.0);
    EXPECT_EQ(course.Value(2, 0), 1.0);
    EXPECT_NEAR(course.Value(2, 1), std::exp(-1.0), 1e-9);
    EXPECT_EQ(course.Value(3, 1), 5.0);
    EXPECT_EQ(course.Value(5, 0), 0.0);
    EXPECT_NEAR(course.Value(5, 1), 5.0 * std::exp(-1.0), 1e-9);
}

TEST(RunDriver, StopEndsTheRunWithItsRows) {
    Document doc;
    std::atomic<bool> stop{true};
    const RunOutcome outcome = doc.Run({"X' = -X", "X = 1"}, {}, &stop);
    EXPECT_EQ(outcome.category, kCategorySolver);
    EXPECT_EQ(outcome.code, kStatusStopped);
    ASSERT_TRUE(outcome.timeCourse.has_value());
    EXPECT_EQ(outcome.timeCourse->rows, 1); // the start row of the first slice
    EXPECT_EQ(ErrorReportLines(outcome, "Taylor method solver."),
              (std::vector<std::string>{"Taylor method solver.", "Solution aborted by user."}));
}

TEST(RunDriver, FailureDetailNamesFunctionArgumentAndQuantity) {
    {
        // Fails after some rows: those rows stay.
        Document doc;
        const RunOutcome outcome = doc.Run(
            {"hr = 0.1", "X' = 1", "X = 1", "v = ln[1.45 - X]", "!! X, v"}, AtTolerance(12));
        ASSERT_EQ(outcome.category, kCategorySolver);
        EXPECT_EQ(outcome.code, 3);
        EXPECT_EQ(outcome.detail, "ln [-0.05] attempted while computing v.");
        EXPECT_EQ(outcome.timeCourse->rows, 5);
    }
    {
        Document doc;
        const RunOutcome outcome =
            doc.Run({"hr = 0.5", "Y' = -Y", "Y = 1", "X' = -1000*X", "X = 1"});
        EXPECT_EQ(outcome.code, kStatusTooSmall);
        EXPECT_EQ(outcome.detail, "while computing X.");
    }
}

TEST(RunDriver, StartFailures) {
    {
        Document doc;
        const RunOutcome outcome = doc.Run({"X' = -X"});
        EXPECT_EQ(outcome.category, kCategoryModel);
        EXPECT_EQ(outcome.code, 11);
        const auto lines = ErrorReportLines(outcome, "Taylor method solver.");
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], "CRITICAL ERROR:");
        EXPECT_EQ(lines[1].rfind(std::string(ModelMessage(11)), 0), 0u);
    }
    {
        Document doc;
        const RunOutcome outcome = doc.Run({"X' = -X", "X = 1", "tf = 1e30", "hr = 1e-10"});
        EXPECT_EQ(outcome.category, kCategorySolver);
        EXPECT_EQ(outcome.code, kSolverNoMemory);
        EXPECT_EQ(ErrorReportLines(outcome, "Taylor method solver.")[1],
                  "Too many points: Increase hr.");
    }
}

TEST(RunDriver, LsodaRunsThroughTheSamePath) {
    Document doc;
    RunConfiguration configuration = AtTolerance(9);
    configuration.method = SolverMethod::Lsoda;
    const RunOutcome outcome =
        doc.Run({"hr = 0.1", "k = 1", "X' = -k*X", "X = 1", "@ 0.5 k = 2", "!! X"}, configuration);
    ASSERT_TRUE(outcome.Succeeded()) << outcome.code;
    const TimeCourse& course = *outcome.timeCourse;
    EXPECT_EQ(course.Value(course.rows - 1, 0), 1.0);
    EXPECT_NEAR(course.Value(course.rows - 1, 1), std::exp(-1.5), 1e-7);
    EXPECT_EQ(outcome.statistics.method, "lsoda");
}

} // namespace
} // namespace kora

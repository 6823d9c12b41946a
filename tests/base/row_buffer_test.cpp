#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "base/double_array.h"
#include "base/time_course.h"
#include "base/winintegrator.h"
#include "model/error_display.h"
#include "model/krm_parser.h"

namespace kora {
namespace {

Statement Reported(const std::string& name, double value, int32_t column) {
    Statement statement;
    statement.name = name;
    statement.value = value;
    statement.state = column > 0 ? kStateReported : kStateDefined;
    statement.reportIndex = column;
    return statement;
}

struct Fixture {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};
    winintegrator solver{&model};

    Fixture() {
        model.equations = {Reported("X", 1.0, 2), Reported("Y", 2.0, 0)};
        Statement k = Reported("k", 7.0, 1);
        k.valueIndex = 2;
        model.constants = {k};
        model.t0 = 0.0;
        model.tf = 1.0;
        model.hr = 0.1;
    }
};

// Run under ThreadSanitizer: copies made and dropped on several threads at
// once must leave the count exact and the block alive for the last owner.
TEST(DoubleArray, SharedAndReleasedAcrossThreads) {
    DoubleArray rows;
    rows.Allocate(16);
    rows.data()[0] = 42.0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([copy = rows] {
            for (int i = 0; i < 1000; ++i) {
                DoubleArray another = copy;
                if (another.data()[0] != 42.0) ADD_FAILURE();
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(rows.refCount(), 1);
    EXPECT_EQ(rows.data()[0], 42.0);
}

TEST(DoubleArray, SharingAndReleasing) {
    DoubleArray a;
    a.Allocate(4);
    ASSERT_FALSE(a.IsNull());
    DoubleArray b = a;
    EXPECT_TRUE(b.SharesWith(a));
    EXPECT_EQ(a.refCount(), 2);
    b.Share(b); // sharing with itself changes nothing
    EXPECT_EQ(a.refCount(), 2);
    EXPECT_FALSE(a.Grow(8, 4)); // moving a shared block would strand the other owner
    b.Release();
    EXPECT_TRUE(b.IsNull());
    a.data()[3] = 5.0;
    ASSERT_TRUE(a.Grow(8, 4));
    EXPECT_EQ(a.size(), 8u);
    EXPECT_EQ(a.data()[3], 5.0);
}

TEST(Winintegrator, InitSetsColumnsValuesAndTheFirstSegment) {
    Fixture f;
    Statement event;
    event.eventTime = 0.4;
    f.model.events = {event, event};
    ASSERT_TRUE(f.solver.Init());
    EXPECT_EQ(f.solver.columns, 3);
    ASSERT_EQ(f.solver.values.size(), 3u);
    EXPECT_EQ(f.solver.values[2], 7.0);
    EXPECT_EQ(f.solver.segmentEnd, 0.4); // the first event ends the first segment

    f.sink.code = 2;
    EXPECT_TRUE(f.solver.Init());
    EXPECT_EQ(f.solver.state, kSolverModelError);
}

TEST(Winintegrator, InitRefusesAnUnallocatableBuffer) {
    Fixture f;
    f.model.hr = 1e-12;
    f.model.tf = 1e6;
    EXPECT_FALSE(f.solver.Init());
    EXPECT_EQ(f.solver.state, kSolverNoMemory);
}

TEST(Winintegrator, StoreRowWritesMarkedColumnsAndGrows) {
    Fixture f;
    ASSERT_TRUE(f.solver.Init());
    f.solver.createResults = true;
    f.solver.BeginRows();
    const double state[2] = {3.0, 4.0};
    const int32_t stored = f.solver.capacity * 3; // far past the formula
    for (int32_t r = 0; r < stored; ++r)
        f.solver.StoreRow(r, state);
    ASSERT_EQ(f.solver.rows, stored);
    EXPECT_EQ(f.solver.status, kStatusRunning);
    const double* last = f.solver.results.data() + (stored - 1) * 3;
    EXPECT_EQ(last[0], stored - 1);
    EXPECT_EQ(last[1], 7.0);
    EXPECT_EQ(last[2], 3.0);

    f.solver.createResults = false;
    f.solver.stepsSinceReport = 9;
    f.solver.StoreRow(0.0, state);
    EXPECT_EQ(f.solver.rows, stored);
    EXPECT_EQ(f.solver.stepsSinceReport, 0u);
}

TEST(Winintegrator, ReportTimesDoNotDrift) {
    Fixture f;
    f.solver.reportInterval = 0.1;
    f.solver.segmentEnd = 1.0;
    int64_t k = 0;
    double t = 0.0;
    while (t < 1.0)
        t = f.solver.ReportTime(0.0, ++k);
    EXPECT_EQ(k, 10); // 0.1 added ten times falls short of 1; k * 0.1 does not
    EXPECT_EQ(t, 1.0);
    EXPECT_EQ(f.solver.ReportTime(0.0, 3), 0.30000000000000004);
    f.solver.segmentEnd = 1.05;
    EXPECT_EQ(f.solver.ReportTime(0.0, 11), 1.05);
}

TEST(Winintegrator, ProgressPercentAndStepLimit) {
    Fixture f;
    ASSERT_TRUE(f.solver.Init());
    f.solver.BeginRows();
    f.solver.maxSteps = 2;
    f.solver.Progress(0.256, 1, 0.01, 5, 1.0);
    EXPECT_EQ(f.solver.progPercent, 25);
    EXPECT_EQ(f.solver.status, kStatusRunning);
    f.solver.Progress(3.0, 2, 0.01, 5, 1.0);
    EXPECT_EQ(f.solver.progPercent, 100);
    EXPECT_EQ(f.solver.status, kStatusStepLimit);
}

TEST(TimeCourse, RunCourseSharesRowsAndNamesColumns) {
    Fixture f;
    f.model.title = "demo";
    ASSERT_TRUE(f.solver.Init());
    f.solver.createResults = true;
    f.solver.BeginRows();
    const double state[2] = {3.0, 4.0};
    f.solver.StoreRow(0.0, state);

    std::vector<TimeCourse> courses;
    AppendRunTimeCourse(f.solver, f.model, courses, false);
    AppendRunTimeCourse(f.solver, f.model, courses, false);
    ASSERT_EQ(courses.size(), 2u);
    const TimeCourse& course = courses[0];
    EXPECT_EQ(course.names, (std::vector<std::string>{"t", "k", "X"}));
    EXPECT_EQ(course.title, "demo");
    EXPECT_EQ(course.rows, 1);
    EXPECT_TRUE(course.data.SharesWith(f.solver.results));
    AppendRunTimeCourse(f.solver, f.model, courses, true);
    EXPECT_EQ(courses.size(), 1u);

    ASSERT_TRUE(f.solver.Init()); // a new run never writes into an old course
    EXPECT_FALSE(courses[0].data.SharesWith(f.solver.results));
    EXPECT_EQ(courses[0].Value(0, 2), 3.0);
}

} // namespace
} // namespace kora

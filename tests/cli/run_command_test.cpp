// kora-batch run, run as a separate process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "batch_process.h"

namespace {

namespace fs = std::filesystem;
using kora::testing::Quoted;
using kora::testing::ReadAll;

class RunCommand : public kora::testing::BatchTest {};

TEST_F(RunCommand, WritesTheDataSectionOnStdoutOrToAFile) {
    const fs::path model = Write("model.krm", "NAME decay\r\nX' = -X\r\nX = 1\r\nhr = 0.5\r\n"
                                              "SCRIPT\r\nrun\r\nEND SCRIPT\r\n");
    const std::string expected = "[Data][decay]\nt\tX\t\n0\t1\t\n0.5\t0.6065307\t\n"
                                 "1\t0.3678794\t\n";
    const auto shown = Batch("run " + Quoted(model) + " --method taylor --tol 9");
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out, expected);
    EXPECT_EQ(shown.err, ""); // no progress display without a terminal

    const fs::path file = dir_ / "out.res";
    const auto saved =
        Batch("run " + Quoted(model) + " --method taylor --stats -o " + Quoted(file));
    EXPECT_EQ(saved.exitCode, 0);
    EXPECT_EQ(saved.out, "");
    // -o writes the complete results file: plot description, then the data.
    std::string written = ReadAll(file);
    written.erase(std::remove(written.begin(), written.end(), '\r'), written.end());
    EXPECT_EQ(written.rfind("[Graph]\nView=1\n", 0), 0u) << written;
    EXPECT_NE(written.find("\n \n" + expected), std::string::npos) << written;
    for (const char* key : {"method: taylor\n", "status: 1\n", "steps: 1\n", "rows: 3\n"})
        EXPECT_NE(saved.err.find(key), std::string::npos) << key;
}

TEST_F(RunCommand, ASolverFailureKeepsTheRowsSoFarAndExitsWithTwo) {
    const fs::path failing =
        Write("model.krm", "hr = 0.1\nX' = 1\nX = 1\nv = ln[1.45 - X]\n!! X\n");
    const auto solver = Batch("run " + Quoted(failing) + " --method taylor --tol 12");
    EXPECT_EQ(solver.exitCode, 2);
    EXPECT_EQ(solver.err, "Taylor method solver.\nSolution failed. Function domain error:\n"
                          "ln [-0.05] attempted while computing v.\n");
    EXPECT_NE(solver.out.find("\n0.4\t1.4\t\n"), std::string::npos);
}

// k2 = 3 is the event's own value: that k2's name begins with k (which the
// event sets too) must not make it be computed again from its definition.
TEST_F(RunCommand, AnEventSettingTwoConstantsKeepsBothValues) {
    const fs::path model = Write("two.krm", "k = 2\r\nk2 = 1\r\nX' = k + k2\r\nX = 0\r\n"
                                            "@ [_time >= 1] k = 1, k2 = 3\r\ntf = 2\r\nhr = 1\r\n"
                                            "!! X, k, k2\r\n");
    const auto run = Batch("run " + Quoted(model) + " --method lsoda --tol 10");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\n2\t7\t1\t3\t\n"), std::string::npos) << run.out;
}

// Amounts of 1e-15 lie below the default absolute tolerance (2.2e-13), which
// then decides the step size alone; --atol brings them back under control.
TEST_F(RunCommand, AnAbsoluteToleranceBelowTheValuesKeepsTinyAmountsAccurate) {
    const fs::path model = Write("tiny.krm", "X' = -X\r\nX = 1e-15\r\ntf = 5\r\nhr = 5\r\n");
    const auto run = Batch("run " + Quoted(model) + " --method lsoda --tol 8 --atol 1e-25");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto last = run.out.rfind("\n5\t");
    ASSERT_NE(last, std::string::npos) << run.out;
    EXPECT_NEAR(std::stod(run.out.substr(last + 3)), 1e-15 * std::exp(-5.0), 1e-22);
    const auto unchanged = Batch("run " + Quoted(model) + " --method lsoda --tol 8");
    const auto settings = Write("atol.ini", "[General]\nAbsTolerance=1e-25\n");
    const auto fromSettings =
        Batch("run " + Quoted(model) + " --method lsoda --tol 8 --settings " + Quoted(settings));
    EXPECT_EQ(fromSettings.out, run.out);
    EXPECT_NE(unchanged.out, run.out);
}

} // namespace

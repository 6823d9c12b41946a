// kora-batch run, run as a separate process.
#include <gtest/gtest.h>

#include <algorithm>

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

} // namespace

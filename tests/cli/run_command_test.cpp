#include <gtest/gtest.h>

#include "temp_files.h"

#include <algorithm>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using kora::testing::ReadAll;

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class RunCommand : public kora::testing::TempDirTest {
protected:
    fs::path WriteModel(const std::string& text) { return Write("model.krm", text); }

    // Runs kora-batch with the given arguments; stdin is empty.
    Result Batch(const std::string& arguments) {
        const fs::path out = dir_ / "stdout.txt";
        const fs::path err = dir_ / "stderr.txt";
        const std::string command = std::string("\"") + KORA_BATCH_EXE + "\" " + arguments +
                                    " < /dev/null > \"" + out.string() + "\" 2> \"" + err.string() +
                                    "\"";
        const int raw = std::system(command.c_str());
        Result result;
        result.exitCode = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = ReadAll(out);
        result.err = ReadAll(err);
        return result;
    }
};

TEST_F(RunCommand, WritesTheDataSectionOnStdoutOrToAFile) {
    const fs::path model = WriteModel("NAME decay\r\nX' = -X\r\nX = 1\r\nhr = 0.5\r\n"
                                      "SCRIPT\r\nrun\r\nEND SCRIPT\r\n");
    const std::string expected = "[Data][decay]\nt\tX\t\n0\t1\t\n0.5\t0.6065307\t\n"
                                 "1\t0.3678794\t\n";
    const Result shown = Batch("run \"" + model.string() + "\" --method taylor --tol 9");
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out, expected);
    EXPECT_EQ(shown.err, ""); // no progress display without a terminal

    const fs::path file = dir_ / "out.res";
    const Result saved = Batch("run \"" + model.string() + "\" --method taylor --stats -o \"" +
                               file.string() + "\"");
    EXPECT_EQ(saved.exitCode, 0);
    EXPECT_EQ(saved.out, "");
    // -o writes the complete results file: plot description, then the data.
    std::string written = ReadAll(file);
    written.erase(std::remove(written.begin(), written.end(), '\r'), written.end());
    EXPECT_EQ(written.rfind("[Graph]\nView=1\n", 0), 0u) << written;
    EXPECT_NE(written.find("\n \n" + expected), std::string::npos) << written;
    for (const char* key : {"method: taylor\n", "status: 1\n", "steps: 1\n", "rows: 3\n",
                            "order: ", "stepsize: ", "elapsed_ms: "})
        EXPECT_NE(saved.err.find(key), std::string::npos) << key;
}

TEST_F(RunCommand, FailuresReportAndSetTheExitCode) {
    const fs::path failing = WriteModel("hr = 0.1\nX' = 1\nX = 1\nv = ln[1.45 - X]\n!! X\n");
    const Result solver = Batch("run \"" + failing.string() + "\" --method taylor --tol 12");
    EXPECT_EQ(solver.exitCode, 2);
    EXPECT_EQ(solver.err, "Taylor method solver.\nSolution failed. Function domain error:\n"
                          "ln [-0.05] attempted while computing v.\n");
    EXPECT_NE(solver.out.find("\n0.4\t1.4\t\n"), std::string::npos); // rows so far are kept

    const fs::path broken = WriteModel("X' = -X\n");
    const Result model = Batch("run \"" + broken.string() + "\"");
    EXPECT_EQ(model.exitCode, 1);
    EXPECT_EQ(model.err, broken.string() + ": error: Initial values not defined: X \n");
    EXPECT_EQ(model.out, "");
}

} // namespace

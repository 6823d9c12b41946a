// Scripts run by kora-batch as a separate process.
#include <gtest/gtest.h>

#include "batch_process.h"
#include "no_steady_state_model.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using kora::testing::Quoted;
using kora::testing::ReadAll;

class ScriptProcess : public kora::testing::BatchTest {};

// Starts kora-batch with stdout on a pipe and stderr in `err`, and reads its
// output until the script has written "started"; the child's id, or 0.
pid_t SpawnUntilStarted(const std::vector<std::string>& args, const fs::path& err, int& output) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, KORA_BATCH_EXE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    output = pipeEnds[0];
    if (spawned != 0) return 0;
    std::string seen;
    char buffer[64];
    while (seen.find("started") == std::string::npos) {
        const ssize_t n = ::read(output, buffer, sizeof buffer);
        if (n <= 0) break;
        seen.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_EQ(seen, "\nstarted");
    return child;
}

TEST_F(ScriptProcess, ParameterSweepThroughTheTool) {
    const fs::path model =
        Write("sweep.krm", "k = 0.5\nX' = -k*X\nX = 1\ntf = 2\nhr = 0.5\n!! X\nSCRIPT\n"
                           "SETTING k = 1 : 2\nRUN\nW k, X@LAST\nNEXT\nEND SCRIPT\n");
    const auto sweep = Batch("run " + Quoted(model) + " --method taylor --set X=2");
    EXPECT_EQ(sweep.exitCode, 0) << sweep.err;
    EXPECT_EQ(sweep.out, "\n1\t0.2706706\n2\t0.03663128");
    EXPECT_EQ(sweep.err, "");
}

// A two-level sweep gives the same lines and results file on any number of
// threads; check names the loop that must run serially.
TEST_F(ScriptProcess, SweepsGiveTheSameOutputOnEveryNumberOfThreads) {
    const fs::path model =
        Write("grid.krm", "k = 0.5\nX' = -k*X + Y^0.5\nY' = k*X - Y\nX = 1\nY = 0.2\ntf = 4\n"
                          "hr = 1\nSCRIPT\nSETTING k = 0.1 : 2 : 0.1\nSETTING X = 1 : 4\nRUN\n"
                          "W k, X, Y@LAST\nNEXT\nNEXT\nEND SCRIPT\n");
    std::string first;
    std::string firstFile;
    for (const char* threads : {"1", "2", "5"}) {
        const fs::path rows = dir_ / (std::string("rows") + threads + ".res");
        const auto sweep = Batch("run " + Quoted(model) + " --threads " + threads + " -o " +
                                 Quoted(rows.string()));
        EXPECT_EQ(sweep.exitCode, 0) << sweep.err;
        EXPECT_EQ(sweep.err, "");
        if (first.empty()) {
            first = sweep.out;
            firstFile = ReadAll(rows);
            EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 80);
        }
        EXPECT_EQ(sweep.out, first) << threads;
        EXPECT_EQ(ReadAll(rows), firstFile) << threads;
    }

    const fs::path serial =
        Write("serial.krm", "X' = -X\nX = 1\nSCRIPT\nSETTING X = 1 : 2\nRUN\nMERGE a.res\n"
                            "NEXT\nEND SCRIPT\n");
    const auto check = Batch("check " + Quoted(serial));
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.err, serial.string() +
                             ": note: SETTING X = 1 : 2: runs serially, it opens, closes, merges "
                             "or activates documents\n");
}

// Ctrl-C is a Stop: wherever it lands after the first solve, the script ends
// with exit code 3 and that solve's rows are still written.
TEST_F(ScriptProcess, InterruptStopsTheScriptAndKeepsTheRows) {
    const fs::path model =
        Write("long.krm", "X' = X - X*Y\nY' = X*Y - Y\nX = 2\nY = 1\nhr = 1\ntf = 5\n!! X\nSCRIPT\n"
                          "RUN\nW \"started\"\nSOLVE tf = 1e5\nW \"not reached\"\nEND SCRIPT\n");
    const fs::path rows = dir_ / "rows.res";
    const fs::path err = dir_ / "err.txt";

    const std::vector<std::string> args = {
        KORA_BATCH_EXE, "run", model.string(), "--method", "taylor", "--min-order", "2",
        "--max-order",  "2",   "--tol",        "12",       "-o",     rows.string()};
    int output = -1;
    const pid_t child = SpawnUntilStarted(args, err, output);
    ASSERT_GT(child, 0);
    ::kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(output);

    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    const std::string report = ReadAll(err);
    EXPECT_TRUE(report == "Script stopped by user.\n" ||
                report == "Taylor method solver.\nSolution aborted by user.\n")
        << report;
    EXPECT_NE(ReadAll(rows).find("[Data][0]\r\nt\tX\t\r\n0\t2\t\r\n"), std::string::npos);
}

// Ctrl-C while a steady state computes ends it within a step: no report is
// printed, and the script ends with exit code 3. Without the stop the
// computation takes over a second before it finds no steady state.
TEST_F(ScriptProcess, InterruptEndsASteadyStateWithoutItsReport) {
    const std::string text = kora::testing::NoSteadyStateText(60) +
                             "SCRIPT\nW \"started\"\nSS\nW \"not reached\"\nEND SCRIPT\n";
    const fs::path model = Write("endless_ss.krm", text);
    const fs::path err = dir_ / "err.txt";
    int output = -1;
    const pid_t child = SpawnUntilStarted({KORA_BATCH_EXE, "run", model.string()}, err, output);
    ASSERT_GT(child, 0);
    ::kill(child, SIGINT);
    std::string rest;
    char buffer[256];
    for (ssize_t n; (n = ::read(output, buffer, sizeof buffer)) > 0;)
        rest.append(buffer, static_cast<size_t>(n));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(output);

    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(rest, "");
    const std::string report = ReadAll(err);
    EXPECT_TRUE(report == "Script stopped by user.\n" ||
                report == "Steady state.\nSolution aborted by user.\n")
        << report;
}

} // namespace

// What check, run and ss reject, and how each says so.
#include <gtest/gtest.h>

#include "batch_process.h"

#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using kora::testing::Quoted;

class ModelChecks : public kora::testing::BatchTest {
protected:
    using BatchTest::Batch;
    kora::testing::BatchOutcome Batch(const std::string& command, const std::string& text,
                                      const std::string& options = "") {
        return Batch(command + " " + Quoted(Write("m.krm", text)) + " " + options);
    }
    std::string Model() const { return (dir_ / "m.krm").string(); }
};

TEST_F(ModelChecks, CheckRejectsTimedAssignmentsOutsideTheRun) {
    const auto broken = Batch("check", "X' = -X\nX = 1\ntf = 1\n@ 5 X = )(\n");
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.err, Model() + ":4:1: error: Unexpected expression: @ 5 X = )(\n");
    EXPECT_EQ(Batch("check", "X' = -X\nX = 1\n@ 5 zz = 3\n").exitCode, 1);
}

TEST_F(ModelChecks, EveryCommandReadsAndRejectsTheSameText) {
    const std::string control = "X' = 2 - X\nX = 1\x01\n";
    for (const std::string command : {"check", "run", "ss"})
        EXPECT_EQ(Batch(command, control).exitCode, 0) << command;

    const std::string expected = Model() + ": error: There are no diff equations defined!\n";
    for (const std::string command : {"check", "run --method taylor", "run --method lsoda", "ss"}) {
        const auto empty = Batch(command, "k = 1\n");
        EXPECT_EQ(empty.exitCode, 1) << command;
        EXPECT_EQ(empty.err, expected) << command;
    }
}

TEST_F(ModelChecks, WarningsNameTheLineAndStrictMakesThemErrors) {
    const std::string model = "X' = -X >>\n  + 1\nX = 1\ntf 5\n!! X, Q, X\n";
    const auto check = Batch("check", model);
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.err, Model() + ":4: warning: not a statement, ignored: tf 5\n" + Model() +
                             ":5: warning: '!!' names 'Q', which the model does not define\n" +
                             Model() + ":5: warning: '!!' lists 'X' twice\n");
    EXPECT_EQ(Batch("check", model, "--strict").exitCode, 1);
    const auto set = Batch("run", "X' = -X\nX = 1\n", "--set fresh=1 --strict");
    EXPECT_EQ(set.exitCode, 1);
    EXPECT_EQ(set.err,
              "kora-batch: warning: --set names 'fresh', which the model does not define\n");
}

TEST_F(ModelChecks, SettingsValuesNotTakenAsWrittenAreWarnedAbout) {
    const fs::path ini = Write("s.ini", "[General]\nFilePrec=99\nBogus=1\n");
    const std::string options = "--settings " + Quoted(ini);
    const auto check = Batch("check", "X' = -X\nX = 1\n", options);
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.err, ini.string() +
                             ": warning: setting FilePrec = '99' is outside 4 to 15; 7 is used "
                             "instead\n" +
                             ini.string() +
                             ": warning: setting Bogus is not known and is ignored\n");
    EXPECT_EQ(Batch("run", "X' = -X\nX = 1\n", options + " --strict").exitCode, 1);
}

TEST_F(ModelChecks, ARunOfNoLengthHasOneRow) {
    const auto run = Batch("run", "X' = -X\nX = 1\nt0 = 2\ntf = 2\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "[Data][0]\nt\tX\t\n2\t1\t\n");
}

TEST_F(ModelChecks, CheckNotesWhyTheTaylorMethodCannotRunAModel) {
    const auto rational = Batch("check", "X' = 1/(1 + X)\nX = 1\n");
    EXPECT_EQ(rational.exitCode, 0);
    EXPECT_EQ(rational.out, "Parsing successful.\n");
    EXPECT_EQ(rational.err, Model() + ":1:1: note: the Taylor method cannot run this model: Taylor "
                                      "method: rational expression not allowed:X' = 1/(1 + X)\n");
    const auto conditional = Batch("check", "X' = if[X > 1, -X, 1]\nX = 0.5\n");
    EXPECT_EQ(conditional.exitCode, 0);
    EXPECT_EQ(conditional.err,
              Model() + ":1:1: note: the Taylor method cannot run this model: Taylor method: "
                        "invalid variable or function: X' = if[X > 1, -X, 1]\n"
                        "if: a condition has no power-law form\n");
}

TEST_F(ModelChecks, ARunTooLargeIsRefusedBeforeItStarts) {
    const std::string model = "X' = -X\nX = 1\ntf = 1\nhr = 0.01\n";
    const auto refused = Batch("run", model, "--max-values 100");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("202 values"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("limit of 100"), std::string::npos) << refused.err;
    EXPECT_EQ(Batch("run", model, "--max-values 202").exitCode, 0);
}

TEST_F(ModelChecks, FailuresAlwaysSaySoAndSetTheExitCode) {
    fs::create_directory(dir_ / "folder");
    const auto opened = Batch("run", "X' = -X\nX = 1\nSCRIPT\nOPEN folder\nEND SCRIPT\n");
    EXPECT_NE(opened.exitCode, 0);
    EXPECT_NE(opened.err.find("folder: is a directory\n"), std::string::npos) << opened.err;

    for (const std::string command : {"check", "run", "ss"}) {
        const auto folder = Batch(command + " " + Quoted(dir_));
        EXPECT_EQ(folder.exitCode, 66);
        EXPECT_NE(folder.err.find(": is a directory\n"), std::string::npos) << folder.err;
    }
}

TEST_F(ModelChecks, ToolkitNoiseNeverReachesTheTerminal) {
    ::unsetenv("XDG_RUNTIME_DIR");
    const auto drawn = Batch("run", "X' = -X\nX = 1\n",
                             "-o " + Quoted(dir_ / "r.res") + " --plot " + Quoted(dir_ / "p.png"));
    EXPECT_EQ(drawn.exitCode, 0);
    EXPECT_EQ(drawn.err, "");
}

} // namespace

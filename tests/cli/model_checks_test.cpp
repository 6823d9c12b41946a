// What check, run and ss reject, and how each says so.
#include <gtest/gtest.h>

#include "batch_process.h"

#include <cstdlib>
#include <sys/resource.h>
#include <vector>

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
    std::vector<std::string> commands{"check", "run --method taylor", "run --method lsoda", "ss"};
    if (Batch("export", control).exitCode != 69) commands.push_back("export");
    for (const std::string& command : commands) {
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

TEST_F(ModelChecks, CrAloneEndsALineAndNeverJoinsTokens) {
    const auto crOnly = Batch("run", "X' = -X\rX = 1\rtf = 5\rhr = 1\r!! X\r");
    EXPECT_EQ(crOnly.exitCode, 0) << crOnly.err;
    EXPECT_NE(crOnly.out.find("\n5\t0.006737952\t\n"), std::string::npos) << crOnly.out;
    const auto inside = Batch("run", "X' = -X\nX = 1\nhr = 1\n!! X\rtf = 5\n");
    EXPECT_EQ(inside.err, "");
    EXPECT_EQ(inside.out, crOnly.out);
}

TEST_F(ModelChecks, NestingBeyondTheLimitIsAModelErrorInEveryCommand) {
    std::string deep = "X' = -";
    for (int k = 0; k < 100000; ++k)
        deep += "abs[";
    deep += "X" + std::string(100000, ']') + "\nX = 1\n";
    std::vector<std::string> commands{"check", "run", "ss"};
    if (Batch("export", "X' = -X\nX = 1\n").exitCode != 69) commands.push_back("export");
    for (const std::string& command : commands) {
        const auto refused = Batch(command, deep);
        EXPECT_EQ(refused.exitCode, 1) << command;
        EXPECT_EQ(refused.out, "") << command;
        EXPECT_EQ(
            refused.err.rfind(Model() + ":1:1: error: Expression nested too deeply: X' = -abs[", 0),
            0u)
            << command;
        EXPECT_NE(refused.err.find("\nMore than 1000 levels of parentheses, functions and "
                                   "operators.\n"),
                  std::string::npos)
            << command;
    }
}

TEST_F(ModelChecks, AnUnknownNameAfterManyBlanksIsFoundInLinearTime) {
    rusage before{};
    ::getrusage(RUSAGE_CHILDREN, &before);
    const auto check = Batch("check", "X' = -X +" + std::string(200000, ' ') + "* y\nX = 1\n");
    rusage after{};
    ::getrusage(RUSAGE_CHILDREN, &after);
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_NE(check.err.find("* y (unknown name 'y')\n"), std::string::npos);
    // Quadratic, this took seconds; linear, milliseconds.
    const double seconds = double(after.ru_utime.tv_sec - before.ru_utime.tv_sec) +
                           1e-6 * double(after.ru_utime.tv_usec - before.ru_utime.tv_usec);
    EXPECT_LT(seconds, 2.0);
}

TEST_F(ModelChecks, SetNamesAreReadAsTheModelReadsThem) {
    const std::string model = "X1' = -k2*X1\nX1 = 1\nk2 = 1\ntf = 1\nhr = 1\n";
    const auto spaced = Batch("run", model, "--set ' k2 =2'");
    EXPECT_EQ(spaced.err, "");
    EXPECT_EQ(spaced.out, "[Data][0]\nt\tX1\t\n0\t1\t\n1\t0.1353357\t\n");
    const auto equation = Batch("run", model, "--set \"X1'=-X1\"");
    EXPECT_EQ(equation.err, "");
    EXPECT_EQ(equation.out, "[Data][0]\nt\tX1\t\n0\t1\t\n1\t0.3678805\t\n");
}

TEST_F(ModelChecks, TaylorResultsDoNotChangeWhenZeroTermsAreDropped) {
    const std::string tail = "\nX = 1\ntf = 2\nhr = 0.5\n";
    const auto plain = Batch("run", "X' = 1 - X" + tail, "--method taylor");
    const auto zeros = Batch("run", "X' = 1 + 0*2 - X + 0*X" + tail, "--method taylor");
    EXPECT_EQ(zeros.exitCode, 0) << zeros.err;
    EXPECT_EQ(zeros.out, plain.out);
    const auto none = Batch("run", "X' = 0*X" + tail, "--method taylor");
    EXPECT_EQ(none.exitCode, 0) << none.err;
    EXPECT_EQ(none.out, "[Data][0]\nt\tX\t\n0\t1\t\n0.5\t1\t\n1\t1\t\n1.5\t1\t\n2\t1\t\n");
}

TEST_F(ModelChecks, ToolkitNoiseNeverReachesTheTerminal) {
    ::unsetenv("XDG_RUNTIME_DIR");
    const auto drawn = Batch("run", "X' = -X\nX = 1\n",
                             "-o " + Quoted(dir_ / "r.res") + " --plot " + Quoted(dir_ / "p.png"));
    EXPECT_EQ(drawn.exitCode, 0);
    EXPECT_EQ(drawn.err, "");
}

} // namespace

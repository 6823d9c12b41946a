// What kora-batch checks and reports on each solve and file command of a
// script, beyond what it checks before the script starts.
#include <gtest/gtest.h>

#include "batch_process.h"

namespace {

namespace fs = std::filesystem;
using kora::testing::Quoted;

class ScriptSolves : public kora::testing::BatchTest {
protected:
    kora::testing::BatchOutcome Run(const std::string& text, const std::string& options = "") {
        return Batch("run " + Quoted(Write("m.krm", text)) + " " + options);
    }
    std::string Model() const { return (dir_ / "m.krm").string(); }
};

TEST_F(ScriptSolves, TheSizeLimitHoldsForEachSolveWithTheScriptsTimes) {
    const std::string model = "X' = -X\nX = 1\ntf = 1\nhr = 0.5\n";
    const auto grown =
        Run(model + "SCRIPT\nRUN\nSET tf = 1000\nRUN\nEND SCRIPT\n", "--max-values 100");
    EXPECT_EQ(grown.exitCode, 1);
    EXPECT_EQ(grown.err, Model() + ": error: one run would report 4002 values (2001 rows of 2 "
                                   "columns), more than the limit of 100; raise hr, or the "
                                   "limit with --max-values\n");
    // The first solve ran, and its rows are kept.
    EXPECT_EQ(grown.out.rfind("[Data][0]\nt\tX\t\n0\t1\t\n0.5\t", 0), 0u) << grown.out;
    EXPECT_EQ(grown.out.find("[Data][1]"), std::string::npos);

    // The file's own hr would be far too fine; the script's is used.
    const auto fixed = Run("X' = -X\nX = 1\ntf = 1\nhr = 1e-6\nSCRIPT\nSET hr = 0.5\nRUN\n"
                           "END SCRIPT\n",
                           "--max-values 100");
    EXPECT_EQ(fixed.exitCode, 0) << fixed.err;
}

TEST_F(ScriptSolves, SavingResultsOntoTheModelIsRefused) {
    const std::string model = "X' = -X\nX = 1\ntf = 1\nSCRIPT\nRUN\nSAVE RES TO link.res\n"
                              "END SCRIPT\n";
    Write("m.krm", "");
    fs::create_symlink(dir_ / "m.krm", dir_ / "link.res");
    const auto saved = Run(model);
    EXPECT_EQ(saved.exitCode, 1);
    EXPECT_NE(saved.err.find("is the model file itself"), std::string::npos) << saved.err;
    EXPECT_EQ(kora::testing::ReadAll(dir_ / "m.krm"), model);
}

TEST_F(ScriptSolves, AModelErrorOfALaterSolveNamesItsPlace) {
    const auto later =
        Run("X' = -X\n  X = 1\nSCRIPT\nRUN\nSET X = 0\nRUN\nEND SCRIPT\n", "--method taylor");
    EXPECT_EQ(later.exitCode, 1);
    EXPECT_EQ(later.err.rfind(Model() + ":2:3: error: Taylor method: ", 0), 0u) << later.err;
}

} // namespace

// Scripts run by the batch tool's workspace in this process.
#include <gtest/gtest.h>

#include "batch_process.h"

#include <sstream>

#include "batch_run.h"
#include "batch_workspace.h"

namespace kora::cli {
namespace {

namespace fs = std::filesystem;

class ScriptBatch : public kora::testing::TempDirTest {
protected:
    kora::testing::BatchOutcome Run(const std::string& text, CliOptions options = {}) {
        options.command = Command::Run;
        options.input = Write("model.krm", text).string();
        if (!options.method) options.method = "taylor";
        std::ostringstream out;
        std::ostringstream err;
        kora::testing::BatchOutcome outcome;
        outcome.exitCode = RunScriptForBatch(options, RunSettings(options, Settings{}),
                                             SplitTextLines(text), out, err);
        outcome.out = out.str();
        outcome.err = err.str();
        return outcome;
    }
};

const std::string kDecay = "NAME decay\nk = 0.5\nX' = -k*X\nX = 1\nhr = 0.5\ntf = 2\n!! X\n";

TEST_F(ScriptBatch, AssignmentsFromTheCommandLineComeBeforeTheScript) {
    CliOptions options;
    options.assignments = {{"k", "2"}, {"fresh", "7"}};
    const auto set = Run(kDecay + "SCRIPT\nW k, fresh\nR\nW k, fresh\nEND SCRIPT\n", options);
    EXPECT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(set.out, "\n2\t7\n0.5\tN/A");
}

TEST_F(ScriptBatch, ExitCodesFollowHowTheScriptEnded) {
    const auto invalid = Run(kDecay + "SCRIPT\nJUMP\nEND SCRIPT\n");
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_EQ(invalid.err, "ERROR: Invalid script command\nJUMP\n");

    const auto model = Run("X' = -X\nSCRIPT\nRUN\nEND SCRIPT\n");
    EXPECT_EQ(model.exitCode, 1);
    EXPECT_EQ(model.err,
              (dir_ / "model.krm").string() + ": error: Initial values not defined: X \n");

    // A box does not stop the script, but the run is not a success.
    const auto box = Run(kDecay + "SCRIPT\nACTIVATE nowhere.krm\nW \"on\"\nEND SCRIPT\n");
    EXPECT_EQ(box.exitCode, 1);
    EXPECT_EQ(box.out, "\non");
    EXPECT_EQ(box.err, "ERROR: File not opened.\nACTIVATE nowhere.krm\n");
}

TEST_F(ScriptBatch, MergingAFolderIsABoxAndTheScriptGoesOn) {
    fs::create_directory(dir_ / "folder.res");
    const auto merged = Run(kDecay + "SCRIPT\nRUN\nMERGE folder.res\nW \"after\"\nEND SCRIPT\n");
    EXPECT_EQ(merged.exitCode, 1);
    EXPECT_EQ(merged.err, "ERROR: Could not merge.\nMERGE folder.res\n");
    EXPECT_EQ(merged.out, "\nafter");
}

TEST_F(ScriptBatch, ScriptsWithCrLineEndsRunCommandByCommand) {
    const auto run = Run("X' = -X\rX = 1\rtf = 1\rhr = 1\rSCRIPT\rRUN\rW X@LAST\rEND SCRIPT\r");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "\n0.3678794");
}

TEST_F(ScriptBatch, DocumentsOpenAndCloseInTheWorkspace) {
    Write("other.krm", kDecay);
    const auto run = Run(kDecay + "SCRIPT\nOPEN new.krm\nOPEN other.krm\nCLOSE other.krm\n"
                                  "CLOSE model.krm\nACTIVATE new.krm\nSS\nEND SCRIPT\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir_ / "new.krm"));
    EXPECT_EQ(run.out.rfind("Steady state for model.krm\n", 0), 0u);
}

TEST_F(ScriptBatch, WithoutMethodTheSettingChoosesTheSolver) {
    // X starts at 0, which the Taylor method refuses; the default "BDF" runs it.
    CliOptions options;
    options.command = Command::Run;
    const std::string text = "X' = 1 - X\nX = 0\ntf = 1\nhr = 0.5\n";
    options.input = Write("zero.krm", text).string();
    std::ostringstream out, err;
    EXPECT_EQ(RunScriptForBatch(options, RunSettings(options, Settings{}), SplitTextLines(text),
                                out, err),
              0)
        << err.str();
    EXPECT_NE(out.str().find("\n1\t0.6321206\t\n"), std::string::npos) << out.str();

    Settings taylor;
    taylor.method = "Taylor";
    std::ostringstream out2, err2;
    EXPECT_EQ(
        RunScriptForBatch(options, RunSettings(options, taylor), SplitTextLines(text), out2, err2),
        1);
    EXPECT_NE(err2.str().find("Taylor method: the initial value is not positive: "),
              std::string::npos)
        << err2.str();
}

TEST_F(ScriptBatch, ClosingKeepsUnsavedResults) {
    const fs::path model = Write("model.krm", kDecay);
    std::ostringstream out;
    std::ostringstream err;
    Settings settings;
    settings.method = "Taylor";
    BatchWorkspace workspace(settings, out, err);
    SystemDocument* document = workspace.OpenDocument(model.string());
    ASSERT_NE(document, nullptr);
    document->AnalysisRunClick();
    workspace.queue().RunUntil([document] { return !document->IsRunning(); });
    ASSERT_TRUE(document->HasUnsavedResults()) << err.str();

    workspace.Close(model.string());
    EXPECT_EQ(workspace.Find(model.string()), document);
    EXPECT_EQ(err.str(), model.string() + "\nSave current RESULTS?\nanswer: Cancel\n" +
                             "kora-batch: the unsaved results of " + model.string() +
                             " stay in memory until the end\n");
}

} // namespace
} // namespace kora::cli

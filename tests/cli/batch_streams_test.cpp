// Inputs read once (so that pipes work), outputs checked: a write that fails
// is never reported as success, and an output that cannot be created stops
// the command before any work.
#include <gtest/gtest.h>

#include "batch_process.h"

#include <unistd.h>

#include <vector>

namespace {

namespace fs = std::filesystem;
using kora::testing::Quoted;
using kora::testing::RunBatch;

const std::string kDecay = "X' = -X\nX = 1\ntf = 1\nhr = 0.5\n!! X\n";

class BatchStreams : public kora::testing::BatchTest {};

TEST_F(BatchStreams, AModelOrResultsOnStandardInputIsReadOnce) {
    const fs::path model = Write("m.krm", kDecay);
    const auto piped = RunBatch(dir_, "run /dev/stdin --method lsoda", model.string());
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.out, RunBatch(dir_, "run " + Quoted(model) + " --method lsoda").out);

    const fs::path results = dir_ / "r.res";
    ASSERT_EQ(Batch("run " + Quoted(model) + " -o " + Quoted(results)).exitCode, 0);
    const auto plot =
        RunBatch(dir_, "plot /dev/stdin --plot " + Quoted(dir_ / "p.svg"), results.string());
    if (plot.exitCode == 69) GTEST_SKIP() << "built without pictures";
    EXPECT_EQ(plot.exitCode, 0) << plot.err;
    EXPECT_TRUE(fs::exists(dir_ / "p.svg"));
}

TEST_F(BatchStreams, OutputLostOnAFullDeviceFailsWithTheReason) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string model = Quoted(Write("m.krm", "X' = 2 - X\nX = 1\n"));
    std::vector<std::string> commands{"check " + model, "run " + model, "ss " + model, "--version"};
    const std::string sbml = std::string(KORA_TEST_DATA_DIR) + "/sbml/mass_action_l3.xml";
    if (Batch("import " + Quoted(sbml)).exitCode != 69) {
        commands.push_back("import " + Quoted(sbml));
        commands.push_back("export " + model);
    }
    for (const std::string& command : commands) {
        const auto full = RunBatch(dir_, command, "/dev/null", "/dev/full");
        EXPECT_EQ(full.exitCode, 73) << command;
        EXPECT_NE(
            full.err.find("kora-batch: cannot write standard output: No space left on device"),
            std::string::npos)
            << command << ": " << full.err;
    }
}

TEST_F(BatchStreams, AnOutputThatCannotBeCreatedStopsTheRunBeforeAnyWork) {
    const std::string model =
        Quoted(Write("m.krm", kDecay + "SCRIPT\nW \"started\"\nRUN\nEND SCRIPT\n"));
    // /proc takes no new files, whoever runs the test; a read-only folder
    // stops only those who are not root.
    std::vector<fs::path> folders{"/proc"};
    const fs::path locked = dir_ / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    if (::geteuid() != 0) folders.push_back(locked);
    for (const fs::path& folder : folders) {
        for (const std::string option : {"-o", "--plot"}) {
            const std::string name = option == "-o" ? "out.res" : "out.svg";
            const auto refused = Batch("run " + model + " " + option + " " + Quoted(folder / name));
            EXPECT_EQ(refused.exitCode, 73) << folder << option;
            EXPECT_EQ(refused.out, "") << "the script started: " << folder << option;
            EXPECT_NE(refused.err.find("cannot create a file beside"), std::string::npos)
                << refused.err;
        }
    }
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_EQ(std::distance(fs::directory_iterator(locked), {}), 0);
}

} // namespace

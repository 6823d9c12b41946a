// kora-batch keeps the toolkit that draws and libSBML out of its start-up and
// loads them, in modules, for the commands that need them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "batch_process.h"
#include "on_demand_module.h"
#include "plot_module_entry.h"
#include "sbml/sbml_exchange.h"

namespace {

namespace fs = std::filesystem;
using kora::testing::Quoted;
using kora::testing::ReadAll;

const std::string kDecay = "X' = -X\nX = 1\ntf = 1\n";

class OnDemandModules : public kora::testing::BatchTest {
protected:
    // Every library the processes of `arguments` loaded, as the dynamic
    // loader lists them; the lists are removed once read.
    std::string LoadedLibraries(const std::string& arguments) {
        const fs::path trace = dir_ / "loader";
        setenv("LD_DEBUG", "files", 1);
        setenv("LD_DEBUG_OUTPUT", trace.c_str(), 1);
        const auto outcome = Batch(arguments);
        unsetenv("LD_DEBUG");
        unsetenv("LD_DEBUG_OUTPUT");
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        std::string loaded;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            if (entry.path().filename().string().rfind("loader", 0) != 0) continue;
            loaded += ReadAll(entry.path());
            fs::remove(entry.path());
        }
        return loaded;
    }
};

TEST_F(OnDemandModules, ChecksAndRunsLoadNeitherTheToolkitThatDrawsNorLibSbml) {
    const std::string model = Quoted(Write("m.krm", kDecay));
    for (const std::string command : {"check ", "run "}) {
        const std::string loaded = LoadedLibraries(command + model);
        ASSERT_NE(loaded.find("libc.so"), std::string::npos) << "the loader listed nothing";
        EXPECT_EQ(loaded.find("libQt6Gui"), std::string::npos) << command;
        EXPECT_EQ(loaded.find("libsbml"), std::string::npos) << command;
    }
}

TEST_F(OnDemandModules, PicturesAndSbmlWorkThroughTheirModules) {
    const fs::path model = Write("m.krm", kDecay);
#ifdef KORA_WITH_QT
    const auto plot = Batch("run " + Quoted(model) + " --plot " + Quoted(dir_ / "p.png"));
    EXPECT_EQ(plot.exitCode, 0) << plot.err;
    EXPECT_GT(fs::file_size(dir_ / "p.png"), 0u);
#endif
    if (!kora::SbmlAvailable()) GTEST_SKIP() << "built without libSBML";
    const auto exported = Batch("export " + Quoted(model) + " -o " + Quoted(dir_ / "m.xml"));
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const auto imported = Batch("import " + Quoted(dir_ / "m.xml"));
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(imported.out.find("X' ="), std::string::npos) << imported.out;
}

TEST_F(OnDemandModules, AMissingModuleOrEntryIsReportedNotFollowed) {
    std::string reason;
    EXPECT_EQ(kora::cli::OnDemandEntry("kora-batch-none.so", "Entry", reason), nullptr);
    EXPECT_NE(reason.find("kora-batch-none.so"), std::string::npos) << reason;
#ifdef KORA_WITH_QT
    reason.clear();
    EXPECT_EQ(kora::cli::OnDemandEntry(kora::cli::kPlotModuleFile, "NoSuchEntry", reason), nullptr);
    EXPECT_NE(reason.find("NoSuchEntry"), std::string::npos) << reason;
    reason.clear();
    EXPECT_NE(
        kora::cli::OnDemandEntry(kora::cli::kPlotModuleFile, kora::cli::kPlotModuleEntry, reason),
        nullptr)
        << reason;
#endif
}

} // namespace

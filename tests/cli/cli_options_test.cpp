#include <gtest/gtest.h>

#include "cli_options.h"

using namespace kora::cli;

TEST(CommandLine, RunOptionsAreCollected) {
    auto r = ParseCommandLine({"run", "m.krm", "--method", "lsoda", "--tol", "9", "--set",
                               "k=2", "--set", "X=0.5", "-o", "out.res", "--stats"});
    ASSERT_EQ(r.error, "");
    const CliOptions& o = r.options;
    EXPECT_EQ(o.command, Command::Run);
    EXPECT_EQ(o.input, "m.krm");
    EXPECT_EQ(o.method, "lsoda");
    EXPECT_EQ(o.tolerance, 9);
    ASSERT_EQ(o.assignments.size(), 2u);
    EXPECT_EQ(o.assignments[1].first, "X");
    EXPECT_EQ(o.assignments[1].second, "0.5");
    EXPECT_EQ(o.output, "out.res");
    EXPECT_TRUE(o.stats);
}

TEST(CommandLine, BadInputIsRefusedWithAReason) {
    EXPECT_NE(ParseCommandLine({}).error, "");
    EXPECT_NE(ParseCommandLine({"frobnicate", "m.krm"}).error, "");
    EXPECT_NE(ParseCommandLine({"check"}).error, "");
    EXPECT_NE(ParseCommandLine({"check", "m.krm", "--method", "taylor"}).error, "");
    EXPECT_NE(ParseCommandLine({"run", "m.krm", "--tol"}).error, "");
    EXPECT_NE(ParseCommandLine({"run", "m.krm", "--tol", "x"}).error, "");
    EXPECT_NE(ParseCommandLine({"run", "m.krm", "--method", "euler"}).error, "");
    EXPECT_NE(ParseCommandLine({"run", "m.krm", "--set", "=1"}).error, "");
    EXPECT_NE(ParseCommandLine({"run", "m.krm", "--size", "10x"}).error, "");
    EXPECT_NE(ParseCommandLine({"plot", "r.res"}).error, "");
    EXPECT_NE(ParseCommandLine({"run", "a.krm", "b.krm"}).error, "");
}

TEST(CommandLine, SettingsFileIsAcceptedByEveryCommand) {
    for (const char* cmd : {"check", "run", "ss"}) {
        auto r = ParseCommandLine({cmd, "m.krm", "--settings", "s.ini"});
        EXPECT_EQ(r.error, "") << cmd;
        EXPECT_EQ(r.options.settingsFile, "s.ini");
    }
    auto p = ParseCommandLine({"plot", "r.res", "--settings", "s.ini", "--plot", "a.png",
                               "--size", "640x480"});
    EXPECT_EQ(p.error, "");
    EXPECT_EQ(p.options.size->first, 640);
}

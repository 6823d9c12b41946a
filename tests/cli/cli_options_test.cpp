#include <gtest/gtest.h>

#include "cli_options.h"

using namespace kora::cli;

TEST(CommandLine, BadInputIsRefusedWithAReason) {
    EXPECT_NE(ParseCommandLine({}).error, "");
    EXPECT_NE(ParseCommandLine({"frobnicate", "m.krm"}).error, "");
    EXPECT_NE(ParseCommandLine({"check"}).error, "");
    EXPECT_NE(ParseCommandLine({"check", "m.krm", "--method", "taylor"}).error, "");
    EXPECT_NE(ParseCommandLine({"run", "m.krm", "--tol"}).error, "");
    EXPECT_NE(ParseCommandLine({"run", "m.krm", "--tol", "x"}).error, "");
    EXPECT_NE(ParseCommandLine({"run", "m.krm", "--method", "euler"}).error, "");
    for (const char* atol : {"0", "-1e-9", "x", "1e-9x", "inf"})
        EXPECT_NE(ParseCommandLine({"run", "m.krm", "--atol", atol}).error, "") << atol;
    EXPECT_NE(ParseCommandLine({"ss", "m.krm", "--atol", "1e-9"}).error, "");
    EXPECT_NE(ParseCommandLine({"run", "m.krm", "--set", "=1"}).error, "");
    EXPECT_NE(ParseCommandLine({"run", "m.krm", "--size", "10x"}).error, "");
    EXPECT_NE(ParseCommandLine({"plot", "r.res"}).error, "");
    EXPECT_NE(ParseCommandLine({"run", "a.krm", "b.krm"}).error, "");
}

TEST(CommandLine, EverySetIsKeptInOrder) {
    const auto r = ParseCommandLine({"run", "m.krm", "--set", "k=2", "--set", "X=0.5"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.assignments,
              (std::vector<std::pair<std::string, std::string>>{{"k", "2"}, {"X", "0.5"}}));
}

TEST(CommandLine, ThreadsOfARunAreAWholeNumberFromOneTo1024) {
    EXPECT_EQ(ParseCommandLine({"run", "m.krm", "--threads", "3"}).options.threads, 3);
    EXPECT_EQ(ParseCommandLine({"run", "m.krm", "--threads", "1024"}).error, "");
    EXPECT_FALSE(ParseCommandLine({"run", "m.krm"}).options.threads.has_value());
    for (const char* bad : {"0", "-2", "1025", "two", "2.5", ""})
        EXPECT_EQ(ParseCommandLine({"run", "m.krm", "--threads", bad}).error,
                  std::string("--threads takes a whole number from 1 to 1024, got '") + bad + "'");
    EXPECT_NE(ParseCommandLine({"ss", "m.krm", "--threads", "2"}).error, "");
    EXPECT_EQ(ParseCommandLine({"fit", "m.krm", "d.txt", "--threads", "2"}).options.threads, 2);
}

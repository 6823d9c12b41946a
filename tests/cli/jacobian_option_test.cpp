// The Jacobian choice from the command line and the settings file, for run
// and ss; the command line wins over the setting.
#include <gtest/gtest.h>

#include "batch_process.h"
#include "cli_options.h"

namespace {

using kora::cli::ParseCommandLine;
using kora::testing::Quoted;

TEST(JacobianOption, TakesExactOrDifferenceForRunAndSteadyState) {
    EXPECT_EQ(ParseCommandLine({"run", "m.krm"}).options.exactJacobian, std::nullopt);
    EXPECT_EQ(ParseCommandLine({"run", "m.krm", "--jacobian", "exact"}).options.exactJacobian,
              true);
    EXPECT_EQ(ParseCommandLine({"ss", "m.krm", "--jacobian", "difference"}).options.exactJacobian,
              false);
    EXPECT_EQ(ParseCommandLine({"run", "m.krm", "--jacobian", "analytic"}).error,
              "--jacobian takes exact or difference");
    EXPECT_NE(ParseCommandLine({"run", "m.krm", "--jacobian"}).error, "");
    EXPECT_NE(ParseCommandLine({"check", "m.krm", "--jacobian", "exact"}).error, "");
}

class JacobianBatch : public kora::testing::BatchTest {};

TEST_F(JacobianBatch, SettingAndOptionChooseTheJacobian) {
    const std::string model = Quoted(
        Write("stiff.krm", "v = X1 / (0.1 + X1)\nX1' = 1 - 1000 v X2\nX2' = 1000 v X2 - X2^0.5\n"
                           "X1 = 1\nX2 = 0.5\ntf = 5\nhr = 0.5\n"));
    // The exact Jacobian spends no evaluations: the counts tell the paths apart.
    const auto evaluations = [](const std::string& err) {
        const size_t at = err.find("fevals: ");
        return at == std::string::npos ? std::string() : err.substr(at, err.find('\n', at) - at);
    };
    const auto difference = Batch("run " + model + " --stats");
    const auto exact = Batch("run " + model + " --stats --jacobian exact");
    ASSERT_EQ(difference.exitCode, 0) << difference.err;
    ASSERT_EQ(exact.exitCode, 0) << exact.err;
    EXPECT_NE(evaluations(exact.err), evaluations(difference.err));
    const auto setting = Write("exact.ini", "[General]\nExactJacobian=1\n");
    const auto set = Batch("run " + model + " --stats --settings " + Quoted(setting));
    EXPECT_EQ(set.out, exact.out);
    EXPECT_EQ(evaluations(set.err), evaluations(exact.err));
    const auto overridden =
        Batch("run " + model + " --stats --jacobian difference --settings " + Quoted(setting));
    EXPECT_EQ(overridden.out, difference.out);
    EXPECT_EQ(evaluations(overridden.err), evaluations(difference.err));

    const auto steady = Batch("ss " + model + " --jacobian exact");
    EXPECT_EQ(steady.exitCode, 0) << steady.err;
    EXPECT_EQ(steady.out, Batch("ss " + model).out);
}

} // namespace

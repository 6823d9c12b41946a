// The Jacobian choice from the command line and the settings file, for run
// and ss: the exact Jacobian reaches the difference path's numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

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

// The numbers of the printed rows, in order.
std::vector<double> Numbers(const std::string& text) {
    std::vector<double> numbers;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        char* end = nullptr;
        const double value = std::strtod(word.c_str(), &end);
        if (end != word.c_str() && *end == '\0') numbers.push_back(value);
    }
    return numbers;
}

class JacobianBatch : public kora::testing::BatchTest {};

TEST_F(JacobianBatch, ExactRunAndSteadyStateAgreeWithDifferences) {
    const std::string model = Quoted(
        Write("stiff.krm", "v = X1 / (0.1 + X1)\nX1' = 1 - 1000 v X2\nX2' = 1000 v X2 - X2^0.5\n"
                           "X1 = 1\nX2 = 0.5\ntf = 5\nhr = 0.5\n"));
    const auto difference = Batch("run " + model);
    const auto exact = Batch("run " + model + " --jacobian exact");
    ASSERT_EQ(difference.exitCode, 0) << difference.err;
    ASSERT_EQ(exact.exitCode, 0) << exact.err;
    const std::vector<double> a = Numbers(exact.out), b = Numbers(difference.out);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GT(a.size(), 20u);
    for (size_t k = 0; k < a.size(); ++k)
        EXPECT_NEAR(a[k], b[k], 1e-4 * (std::fabs(b[k]) + 1e-3)) << k;
    const auto setting = Write("exact.ini", "[General]\nExactJacobian=1\n");
    EXPECT_EQ(Batch("run " + model + " --settings " + Quoted(setting)).out, exact.out);
    EXPECT_EQ(
        Batch("run " + model + " --settings " + Quoted(setting) + " --jacobian difference").out,
        difference.out);

    const auto steady = Batch("ss " + model + " --jacobian exact");
    EXPECT_EQ(steady.exitCode, 0) << steady.err;
    EXPECT_EQ(steady.out, Batch("ss " + model).out);
}

} // namespace

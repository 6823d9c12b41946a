// Fused code against the ordinary code it was made from: the same value to
// the bit, and on every failure the same code and the same failing call.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "model/fused_code.h"
#include "model/math_error.h"
#include "model_fixture.h"

namespace kora::test {
namespace {

struct Evaluation {
    double value = 0.0;
    int error = 0;
    MathErrorRecord record;
};

// Equation `index` at state `x`, through Evaluate (fused when it can) or
// through the statement's ordinary code.
Evaluation Evaluate(const BuiltModel& built, int index, const std::vector<double>& x,
                    bool ordinary) {
    std::vector<double> c = built.Constants(), aux(built.model.definitions.size() + 1);
    std::vector<double> stack(built.model.stackDepth + 1);
    Evaluation result;
    result.value =
        ordinary ? built.model.EvaluateCode(built.model.equations[index].code.data(), 0.5, x.data(),
                                            aux.data(), c.data(), result.error, stack.data())
                 : built.model.Evaluate(0, index, 0.5, x.data(), aux.data(), c.data(), result.error,
                                        stack.data());
    result.record = CurrentMathError();
    return result;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

const TextLines kPowerLawModel{"k = 2.5",
                               "X1' = 2 * k * X4^-0.5 - 1.5 * X1^0.5",
                               "X2' = 1.5 * X1^0.5 * X3^0.8 - 1.2 * X2^2 * X4",
                               "X3' = X1 * X2^-1.3 + 0.1 * X3^1 - X4 * k",
                               "X4' = sqrt[X3] * X4^0.6 / (1 + X1) - 0.8 * X4^-2",
                               "X1 = 1",
                               "X2 = 1",
                               "X3 = 1",
                               "X4 = 1"};

TEST(FusedCode, GivesTheOrdinaryCodesValuesToTheBit) {
    BuiltModel built(kPowerLawModel);
    ASSERT_EQ(built.Code(), 0);
    for (const Statement& equation : built.model.equations)
        EXPECT_FALSE(equation.fused.empty()) << equation.text;
    std::mt19937_64 draw(7);
    std::uniform_real_distribution<double> exponent(-12.0, 12.0);
    for (int trial = 0; trial < 2000; ++trial) {
        std::vector<double> x(4);
        for (double& v : x)
            v = std::exp(exponent(draw));
        for (int i = 0; i < 4; ++i) {
            const Evaluation fused = Evaluate(built, i, x, false);
            const Evaluation ordinary = Evaluate(built, i, x, true);
            ASSERT_EQ(fused.error, ordinary.error) << i;
            ASSERT_TRUE(SameBits(fused.value, ordinary.value)) << i << ": " << fused.value;
        }
    }
}

TEST(FusedCode, FailuresAreReportedAsTheOrdinaryCodeReportsThem) {
    BuiltModel built(kPowerLawModel);
    ASSERT_EQ(built.Code(), 0);
    const std::vector<std::vector<double>> states{
        {0.0, 1, 1, 1},      // 0 ^ -1.3 and 0 ^ 0.5
        {1, 0.0, 1, 1},      // X2 ^ -1.3 at 0: a singularity
        {1, 1, 1, 0.0},      // X4 ^ -0.5 at 0
        {-1, 1, 1, 1},       // a negative base to 0.5
        {1, 1, 1, 1e-310},   // a subnormal state
        {1, 1e200, 1, 1},    // overflow in X2^2
        {1, 1e-200, 1, 1},   // underflow in X2^2 from a normal base
        {1, 1, 1, 1e-160},   // overflow in X4^-2 from a normal base
        {1, 1, NAN, 1},      // a NaN read in
        {1, 1, -4, 1},       // sqrt of a negative number
        {1, 1, 1, INFINITY}, // an infinite state
        {-1, 1, 1, 1e-200},  // a zero divisor after X1 = -1
    };
    int failures = 0;
    for (const std::vector<double>& x : states) {
        for (int i = 0; i < 4; ++i) {
            const Evaluation fused = Evaluate(built, i, x, false);
            const Evaluation ordinary = Evaluate(built, i, x, true);
            EXPECT_EQ(fused.error, ordinary.error) << i << " at " << x[0] << "," << x[1];
            EXPECT_STREQ(fused.record.function, ordinary.record.function) << i;
            EXPECT_EQ(fused.record.kind, ordinary.record.kind) << i;
            if (fused.error == 0) {
                EXPECT_TRUE(SameBits(fused.value, ordinary.value)) << i;
            }
            failures += fused.error != 0 ? 1 : 0;
        }
    }
    EXPECT_GT(failures, 10);
}

TEST(FusedCode, LeavesCodeWithJumpsConditionsOrDrawsAlone) {
    BuiltModel built({"X' = rand[1] * X^0.5", "Y' = if[X > 1, Y^0.5, 2 * Y]",
                      "Z' = max[X, Z] * Z^2", "W' = X + Y", "X = 1", "Y = 1", "Z = 1", "W = 1"});
    ASSERT_EQ(built.Code(), 0);
    for (const Statement& equation : built.model.equations)
        EXPECT_TRUE(equation.fused.empty()) << equation.text;
}

// Every definition and then every equation through their ordinary code, as
// the solvers evaluate them one by one; false at the first error.
bool EvaluateEachStatement(const BuiltModel& built, const std::vector<double>& x,
                           std::vector<double>& aux, std::vector<double>& rates) {
    std::vector<double> c = built.Constants(), stack(built.model.stackDepth + 1);
    int error = 0;
    for (size_t j = 0; j < aux.size() && error == 0; ++j)
        aux[j] = built.model.EvaluateCode(built.model.definitions[j].code.data(), 0.5, x.data(),
                                          aux.data(), c.data(), error, stack.data());
    for (size_t i = 0; i < rates.size() && error == 0; ++i)
        rates[i] = built.model.EvaluateCode(built.model.equations[i].code.data(), 0.5, x.data(),
                                            aux.data(), c.data(), error, stack.data());
    return error == 0;
}

TEST(FusedCode, TheSystemProgramGivesEveryStatementsValueOrGivesUpWhereOneFails) {
    TextLines lines = kPowerLawModel;
    // Definitions read states, constants and earlier definitions; one is
    // plain code with nothing to fuse.
    lines.insert(lines.begin() + 1, {"v1 = 3 * X1^0.7 * X2^-1", "v2 = v1 - X3", "v3 = X1 + k"});
    lines.push_back("X5' = v1 - 2 * v2 * X5^0.5 + v3");
    lines.push_back("X5 = 1");
    BuiltModel built(lines);
    ASSERT_EQ(built.Code(), 0);
    ASSERT_EQ(built.model.definitions.size(), 3u);
    ASSERT_FALSE(built.model.fusedSystem.empty());
    std::mt19937_64 draw(5);
    std::uniform_real_distribution<double> exponent(-12.0, 12.0);
    int failures = 0;
    for (int trial = 0; trial < 2000; ++trial) {
        std::vector<double> x(5);
        for (double& v : x)
            v = std::exp(exponent(draw));
        if (trial % 10 == 0) x[trial / 10 % 5] = trial % 20 == 0 ? 0.0 : -1.0;
        std::vector<double> c = built.Constants(), stack(built.model.stackDepth + 1);
        std::vector<double> aux(3), rates(5), ownAux(3), ownRates(5);
        const bool system = built.model.EvaluateFusedSystem(0.5, x.data(), aux.data(), c.data(),
                                                            stack.data(), rates.data());
        const bool each = EvaluateEachStatement(built, x, ownAux, ownRates);
        ASSERT_EQ(system, each) << trial;
        failures += each ? 0 : 1;
        if (!each) continue;
        for (size_t k = 0; k < 5; ++k)
            ASSERT_TRUE(SameBits(rates[k], ownRates[k])) << k << ": " << rates[k];
        for (size_t j = 0; j < 3; ++j)
            ASSERT_TRUE(SameBits(aux[j], ownAux[j])) << j;
    }
    EXPECT_GT(failures, 50);

    // A difference of two terms in range that itself overflows: the word
    // that subtracts and stores must check it too.
    BuiltModel closing({"k = 1.5e308", "X' = k * X - k * Y", "Y' = X - Y", "X = 1", "Y = 1"});
    ASSERT_EQ(closing.Code(), 0);
    for (const std::vector<double>& x : {std::vector<double>{0.5, 0.25}, {0.9, -0.9}}) {
        std::vector<double> c = closing.Constants(), stack(closing.model.stackDepth + 1);
        std::vector<double> aux, rates(2), ownAux, ownRates(2);
        const bool system = closing.model.EvaluateFusedSystem(0.5, x.data(), aux.data(), c.data(),
                                                              stack.data(), rates.data());
        ASSERT_EQ(system, EvaluateEachStatement(closing, x, ownAux, ownRates)) << x[1];
        EXPECT_EQ(system, x[1] > 0.0);
        if (system) {
            EXPECT_TRUE(SameBits(rates[0], ownRates[0]));
        }
    }

    BuiltModel drawing({"X' = rand[1] * X^0.5", "Y' = Y^0.5", "X = 1", "Y = 1"});
    ASSERT_EQ(drawing.Code(), 0);
    EXPECT_TRUE(drawing.model.fusedSystem.empty());
}

TEST(FusedCode, TheCommonKineticOrdersAreCorrectlyRounded) {
    // The library's pow is within about half a unit; square root, square and
    // the base itself are exact roundings.
    std::mt19937_64 draw(11);
    std::uniform_real_distribution<double> exponent(-30.0, 30.0);
    for (int trial = 0; trial < 10000; ++trial) {
        const double x = std::exp(exponent(draw));
        bool failed = false;
        EXPECT_EQ(CheckedPower(x, 0.5, failed), std::sqrt(x));
        EXPECT_EQ(CheckedPower(x, 2.0, failed), x * x);
        EXPECT_EQ(CheckedPower(x, 1.0, failed), x);
        EXPECT_FALSE(failed);
    }
    bool failed = false;
    CheckedPower(1e200, 2.0, failed);
    EXPECT_TRUE(failed);
    EXPECT_EQ(CurrentMathError().kind, MathErrorKind::Overflow);
}

} // namespace
} // namespace kora::test

// Conditions in expressions: relational operators, logical functions, if[]
// and piecewise[], their compiled layout and their switches.
#include <cmath>

#include "model/condition_switches.h"
#include "model/math_error.h"
#include "model/postfix_words.h"
#include "model_fixture.h"

namespace kora::test {
namespace {

struct Folded {
    const char* expression;
    double value;
};

TEST(Conditions, RelationalOperatorsBindBelowArithmetic) {
    const Folded cases[] = {
        {"1 < 2", 1},
        {"2 < 1", 0},
        {"1 <= 1", 1},
        {"1 >= 2", 0},
        {"2 > 1", 1},
        {"1 == 1", 1},
        {"1 != 1", 0},
        {"1 + 1 == 2", 1},
        {"3 - 1 < 2", 0},
        {"1 < 2 + 1", 1},
        {"2*3 > 5", 1},
        {"-1 < 0", 1},
        {"1 < -2^2", 0},
        {"(1 < 2) + 1", 2},
        {"2 (3 > 1)", 2},
        {"1<2", 1},
        {"0.1 + 0.2 == 0.3", 0},
    };
    for (const Folded& c : cases) {
        int code = -1;
        EXPECT_EQ(ConstantValue(c.expression, code), c.value) << c.expression;
        EXPECT_EQ(code, 0) << c.expression;
    }
}

TEST(Conditions, LogicalAndConditionalValuesTakeAnyNonzeroAsTrue) {
    const Folded cases[] = {
        {"and[1, 2]", 1},
        {"and[1, 0]", 0},
        {"and[-3]", 1},
        {"or[0, -0.5]", 1},
        {"or[0, 0, 0]", 0},
        {"xor[1, 1, 1]", 1},
        {"xor[2, 3]", 0},
        {"not[0.5]", 0},
        {"not[0]", 1},
        {"not[1 > 2]", 1},
        {"and[1 < 2, 3 >= 3, not[0]]", 1},
        {"if[1 < 2, 10, 20]", 10},
        {"if[0, 10, 20]", 20},
        {"if[-0.1, 1, 2]", 1},
        {"2 if[1, 3, 4] + 1", 7},
        {"piecewise[1, 0, 2, 3, 4]", 2},
        {"piecewise[1, 0, 2, 0, 4]", 4},
        {"piecewise[1, 5 > 4]", 1},
        {"piecewise[7]", 7},
        {"if[if[0, 1, 0], 5, piecewise[6, 1]]", 6},
    };
    for (const Folded& c : cases) {
        int code = -1;
        EXPECT_EQ(ConstantValue(c.expression, code), c.value) << c.expression;
        EXPECT_EQ(code, 0) << c.expression;
    }
}

TEST(Conditions, MalformedConditionsGiveTheirCodes) {
    const struct {
        const char* expression;
        int code;
        const char* detail;
    } cases[] = {
        {"1 < 2 < 3", 2, "<"}, {"if[1, 2]", 2, "if"}, {"if[1, 2, 3, 4]", 2, "if"},
        {"not[1, 2]", 8, ""},  {"sin[1, 2]", 8, ""},  {"and[]", 2, ""},
        {"1 <", 1, ""},        {"< 1", 2, ""},        {"1 = 2", 2, ""},
        {"1 => 2", 2, ""},     {"1 >> 2", 2, ""},     {"if[1, 2, 3", 8, ""},
        {"1, 2", 2, ""},       {"(1, 2)", 2, ""},     {"piecewise[1, 0]", 15, "piecewise"},
    };
    for (const auto& c : cases) {
        BuiltModel built({"k = " + std::string(c.expression)});
        EXPECT_EQ(built.Code(), c.code) << c.expression;
        EXPECT_EQ(built.sink.detail, c.detail) << c.expression;
    }
}

TEST(Conditions, OnlyTheChosenBranchMustHaveAValue) {
    const Folded cases[] = {
        {"if[1, 2, ln[0]]", 2},
        {"if[0, 1/0, 3]", 3},
        {"piecewise[sqrt[-1], 0, 4]", 4},
        {"if[1, if[0, ln[-1], 5], exp[1000]]", 5},
    };
    for (const Folded& c : cases) {
        int code = -1;
        EXPECT_EQ(ConstantValue(c.expression, code), c.value) << c.expression;
        EXPECT_EQ(code, 0) << c.expression;
    }
    BuiltModel taken({"k = if[0, 1, ln[0]]"});
    EXPECT_EQ(taken.Code(), 15);
    EXPECT_EQ(taken.sink.detail, "ln");
    BuiltModel divided({"k = 2 + if[1, 1/0, 1]"});
    EXPECT_EQ(divided.Code(), 13);
}

TEST(Conditions, FunctionWordsStayOrdinaryNames) {
    BuiltModel built({"if = 2", "and = 3", "k = if * and + if", "X' = not", "not = 1", "X = 1"});
    ASSERT_EQ(built.Code(), 0) << built.sink.context;
    EXPECT_EQ(built.Constant("k")->value, 8);
}

TEST(Conditions, ConditionsHoldInEveryKindOfStatement) {
    BuiltModel built({"X' = if[X > 1, -X, 1] + a", "X = if[c >= 2, 3, 0]", "c = 2",
                      "a = piecewise[1, X < 0, 0]", "@ 5 c = c > 1", "tf = 10"});
    ASSERT_EQ(built.Code(), 0) << built.sink.context;
    EXPECT_EQ(built.model.equations[0].value, 3);
    int error = -1;
    EXPECT_EQ(built.Eval(0, 0, error), -3);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(built.Eval(1, 0, error), 0);
    ASSERT_EQ(built.model.events.size(), 1u);
    EXPECT_EQ(built.model.events[0].value, 1);
}

// Evaluates equation 0 of `built` with X at `x`.
double EvaluateAt(const BuiltModel& built, double x, int& error) {
    std::vector<double> stack(built.model.stackDepth + 1);
    std::vector<double> constants = BuiltModel::Values(built.model.constants);
    return built.model.Evaluate(0, 0, 0.0, &x, nullptr, constants.data(), error, stack.data());
}

TEST(Conditions, EvaluationRunsOnlyTheChosenPiece) {
    BuiltModel built(
        {"X' = if[X > 0, ln[X], 0 - 1] + piecewise[10, X > 5, 20, X > 1, 30]", "X = 0"});
    ASSERT_EQ(built.Code(), 0) << built.sink.context;
    int error = -1;
    EXPECT_EQ(EvaluateAt(built, 0.0, error), 29);
    EXPECT_EQ(error, 0);
    EXPECT_NEAR(EvaluateAt(built, std::exp(1.0), error), 21, 1e-12);
    EXPECT_NEAR(EvaluateAt(built, 6.0, error), std::log(6.0) + 10, 1e-12);
    EXPECT_EQ(EvaluateAt(built, -1.0, error), 29);
    EXPECT_EQ(error, 0);
}

TEST(Conditions, APiecewiseWithNoTruePieceFailsAtEvaluation) {
    BuiltModel built({"X' = piecewise[1, X > 0]", "X = 1"});
    ASSERT_EQ(built.Code(), 0) << built.sink.context;
    int error = -1;
    EXPECT_EQ(EvaluateAt(built, 2.0, error), 1);
    EXPECT_EQ(error, 0);
    EvaluateAt(built, -2.0, error);
    EXPECT_EQ(error, kEvalDomain);
    EXPECT_STREQ(CurrentMathError().function, "piecewise");
}

TEST(Conditions, TheTaylorFormRefusesConditionsNamingThem) {
    const struct {
        const char* equation;
        const char* detail;
    } cases[] = {
        {"X' = -X + if[X > 1, 1, 0]", "if"}, {"X' = (X > 1) - X", ">"}, {"X' = a - X", "a"}};
    for (const auto& c : cases) {
        BuiltModel built({c.equation, "X = 1", "a = X <= 2"});
        ASSERT_EQ(built.Code(), 0) << built.sink.context;
        EXPECT_FALSE(built.model.BuildForm()) << c.equation;
        EXPECT_EQ(built.sink.code, 3) << c.equation;
        EXPECT_EQ(built.sink.detail.substr(0, built.sink.detail.find(':')), c.detail) << c.equation;
    }
}

TEST(ConditionSwitches, EachRelationalWordAndFlagIsOneSwitch) {
    BuiltModel built({"X' = if[X > 5, 1, Y] + flag[X - 2] - (Y*2 <= 3)",
                      "Y' = if[not[Y == 1], 1, 0]", "X = 7", "Y = 1"});
    ASSERT_EQ(built.Code(), 0) << built.sink.context;
    std::vector<ConditionSwitch> switches;
    FindConditionSwitches(built.model.equations[0].code, switches);
    ASSERT_EQ(switches.size(), 3u);
    EXPECT_EQ(switches[0].kind, kWordGreater);
    EXPECT_EQ(switches[1].kind, kFunctionFlag);
    EXPECT_EQ(switches[1].operands, 1);
    EXPECT_EQ(switches[2].kind, kWordLessEqual);

    std::vector<double> stack(built.model.stackDepth + 1);
    const std::vector<double> x{7, 1.25};
    const std::vector<double> constants = BuiltModel::Values(built.model.constants);
    const double expected[] = {7 - 5, 7 - 2, 2.5 - 3};
    for (size_t k = 0; k < switches.size(); ++k) {
        int error = -1;
        EXPECT_DOUBLE_EQ(SwitchingFunction(built.model, built.model.equations[0].code, switches[k],
                                           0.0, x.data(), nullptr, constants.data(), error,
                                           stack.data()),
                         expected[k]);
        EXPECT_EQ(error, 0);
    }
    switches.clear();
    FindConditionSwitches(built.model.equations[1].code, switches);
    ASSERT_EQ(switches.size(), 1u);
    EXPECT_EQ(switches[0].kind, kWordEqual);
}

TEST(ConditionSwitches, SwitchesInsideNestedPiecesKeepTheirOperands) {
    BuiltModel built({"X' = piecewise[if[X < 1, 2, 3], X - 1 > 0.5, _time >= 4]", "X = 0"});
    ASSERT_EQ(built.Code(), 0) << built.sink.context;
    std::vector<ConditionSwitch> switches;
    FindConditionSwitches(built.model.equations[0].code, switches);
    ASSERT_EQ(switches.size(), 3u);
    std::vector<double> stack(built.model.stackDepth + 1);
    const std::vector<double> constants = BuiltModel::Values(built.model.constants);
    const double x = 3;
    double values[3];
    for (size_t k = 0; k < 3; ++k) {
        int error = -1;
        values[k] = SwitchingFunction(built.model, built.model.equations[0].code, switches[k], 1.5,
                                      &x, nullptr, constants.data(), error, stack.data());
        EXPECT_EQ(error, 0);
    }
    // Code order: the first piece's condition, then its value, then otherwise.
    EXPECT_DOUBLE_EQ(values[0], 3 - 1 - 0.5);
    EXPECT_DOUBLE_EQ(values[1], 3 - 1);
    EXPECT_DOUBLE_EQ(values[2], 1.5 - 4);
}

} // namespace
} // namespace kora::test

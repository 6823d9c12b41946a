#include <cmath>
#include <ctime>

#include "common/nesting_limit.h"

#include "model_fixture.h"

namespace kora::test {
namespace {

struct Folded {
    const char* expression;
    double value;
};

TEST(ExpressionCompile, PrecedenceAndGrouping) {
    const Folded cases[] = {
        {"2^3^2", 64},     {"-2^2", -4},     {"2^-1", 0.5},     {"2 3", 6},      {"6/2*3", 9},
        {"1-2-3", -4},     {"1+2*3", 7},     {"(1+2)*3", 9},    {"2(3+1)", 8},   {"-3*-2", 6},
        {"+4", 4},         {"2*3^2", 18},    {"8/2/2", 2},      {"1 - -1", 2},   {"-(2)^2", -4},
        {"2^(1+1)^2", 16}, {"abs[-3] 2", 6}, {"floor[2.7]", 2}, {"flag[-1]", 0}, {"flag[0.1]", 1},
        {"sqrt[16]+1", 5}, {"log[1000]", 3}, {"exp[0]", 1},     {"_pi", M_PI},   {"3 // 4", 3},
        {"1.5e1", 15},     {".5", 0.5},      {"t0 + tf", 1},
    };
    for (const Folded& c : cases) {
        int code = -1;
        double value = ConstantValue(c.expression, code);
        EXPECT_EQ(code, 0) << c.expression;
        EXPECT_DOUBLE_EQ(value, c.value) << c.expression;
    }
}

struct Failing {
    const char* expression;
    int code;
};

TEST(ExpressionCompile, SyntaxErrorsGiveTheirCodes) {
    const Failing cases[] = {
        {"", 1},      {"1 +", 1},     {"(1 + 2", 7},         {"1 + 2)", 2}, {"sin[1)", 8},
        {"sin[1", 8}, {"sin(1)", 2},  {"undefined_name", 2}, {"1 $", 2},    {"hr * 2", 2},
        {"(1]", 2},   {"2 * * 3", 2}, {"_time", 0},
    };
    for (const Failing& c : cases) {
        BuiltModel built({"X' = 1", "X = 1", "k = " + std::string(c.expression)});
        EXPECT_EQ(built.Code(), c.code) << c.expression;
        if (c.code != 0) {
            EXPECT_EQ(built.sink.context, "k = " + std::string(c.expression));
        }
    }
}

std::string Nested(const std::string& open, const std::string& inner, const std::string& close,
                   int levels) {
    std::string text;
    for (int k = 0; k < levels; ++k)
        text += open;
    text += inner;
    for (int k = 0; k < levels; ++k)
        text += close;
    return text;
}

TEST(ExpressionCompile, NestingDeeperThanTheLimitIsRefusedWherever) {
    constexpr int kNestedTooDeeply = 30;
    const int limit = kMaxNestingDepth;
    // Each open parenthesis, function bracket and pending operator is a level.
    const struct {
        std::string open, close;
        int perLevel;
    } kinds[] = {{"-", "", 1}, {"(", ")", 1}, {"abs[", "]", 1}, {"1+(", ")", 2}};
    for (const auto& kind : kinds) {
        const int most = limit / kind.perLevel;
        EXPECT_EQ(BuiltModel({"X' = " + Nested(kind.open, "X", kind.close, most), "X = 1"}).Code(),
                  0)
            << kind.open;
        for (const std::string statement : {"Y' = ", "k = ", "@ 0.5 X = ", "v = X + "}) {
            BuiltModel deep({"X' = -X", "X = 1", "Y = 1",
                             statement + Nested(kind.open, "1", kind.close, most + 1)});
            EXPECT_EQ(deep.Code(), kNestedTooDeeply) << statement << kind.open;
            EXPECT_EQ(deep.sink.detail,
                      "More than 1000 levels of parentheses, functions and operators.");
        }
    }
    // A long sum is wide, not deep.
    std::string sum = "X' = 1";
    for (int k = 0; k < 50000; ++k)
        sum += " - X";
    EXPECT_EQ(BuiltModel({sum, "X = 1"}).Code(), 0);

    // Far deeper text is refused without running into it.
    const std::clock_t start = std::clock();
    EXPECT_EQ(BuiltModel({"X' = " + Nested("-abs[", "X", "]", 100000), "X = 1"}).Code(),
              kNestedTooDeeply);
    EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 2.0);
}

TEST(ExpressionCompile, MathematicalErrorsNameTheFunction) {
    const struct {
        const char* expression;
        int code;
        const char* function;
    } cases[] = {
        {"1/0", 13, ""},           {"ln[0]", 15, "ln"},      {"sqrt[-1]", 15, "sqrt"},
        {"(-8)^(1/3)", 17, "pow"}, {"0^-1", 17, "pow"},      {"exp[1000]", 12, "exp"},
        {"exp[-1000]", 16, "exp"}, {"10^400", 12, "pow"},    {"1e200*1e200", 12, ""},
        {"log[-2]", 15, "log"},    {"sin[1e30]", 15, "sin"}, {"1e-200*1e-110", 16, ""},
    };
    for (const auto& c : cases) {
        BuiltModel built({"k = " + std::string(c.expression)});
        EXPECT_EQ(built.Code(), c.code) << c.expression;
        EXPECT_EQ(built.sink.detail, c.function) << c.expression;
    }
}

TEST(ExpressionCompile, RightSidesAreCheckedAtTheInitialState) {
    BuiltModel division({"X' = 1/X", "X = 0"});
    EXPECT_EQ(division.Code(), 13);
    EXPECT_EQ(division.sink.context, "X' = 1/X");
    BuiltModel logarithm({"X' = ln[X]", "X = 0"});
    EXPECT_EQ(logarithm.Code(), 15);
    EXPECT_EQ(logarithm.sink.detail, "ln");
}

TEST(ExpressionCompile, NamesJuxtaposeAndFunctionsNeedABracket) {
    BuiltModel built({"x = 3", "x2 = 5", "a = 2x", "b = x2", "sin = 2", "c = sin x"});
    ASSERT_EQ(built.Code(), 0);
    EXPECT_DOUBLE_EQ(built.Constant("a")->value, 6);
    EXPECT_DOUBLE_EQ(built.Constant("b")->value, 5);
    EXPECT_DOUBLE_EQ(built.Constant("c")->value, 6);
}

} // namespace
} // namespace kora::test

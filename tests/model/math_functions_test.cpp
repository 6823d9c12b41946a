// The mathematical functions beyond the first eleven: values against the
// standard library and closed forms, the same at build time and at run time,
// and their failures named by the function.
#include <cmath>

#include "model/math_error.h"
#include "model_fixture.h"

namespace kora::test {
namespace {

struct Case {
    const char* expression; // of X
    double x;
    double value;
};

// Folded at build time as a constant, and evaluated from code with X = x.
void ExpectBothWays(const Case& c) {
    std::string folded = c.expression;
    for (size_t at = folded.find('X'); at != std::string::npos; at = folded.find('X'))
        folded.replace(at, 1, "(" + std::to_string(c.x) + ")");
    int code = -1;
    EXPECT_NEAR(ConstantValue(folded, code), c.value, 1e-12 * (1 + std::fabs(c.value))) << folded;
    EXPECT_EQ(code, 0) << folded;

    BuiltModel built({"X' = " + std::string(c.expression), "X = " + std::to_string(c.x)});
    ASSERT_EQ(built.Code(), 0) << c.expression;
    std::vector<double> stack(built.model.stackDepth + 1);
    const std::vector<double> constants = BuiltModel::Values(built.model.constants);
    int error = -1;
    const double value =
        built.model.Evaluate(0, 0, 0.0, &c.x, nullptr, constants.data(), error, stack.data());
    EXPECT_EQ(error, 0) << c.expression;
    EXPECT_NEAR(value, c.value, 1e-12 * (1 + std::fabs(c.value))) << c.expression << " at " << c.x;
}

TEST(MathFunctions, TrigonometricAndHyperbolicMatchTheStandardLibrary) {
    const Case cases[] = {
        {"tan[X]", 0.7, std::tan(0.7)},
        {"sec[X]", 1.2, 1 / std::cos(1.2)},
        {"csc[X]", -0.4, 1 / std::sin(-0.4)},
        {"cot[X]", 2.5, 1 / std::tan(2.5)},
        {"sinh[X]", -1.5, std::sinh(-1.5)},
        {"cosh[X]", 2.0, std::cosh(2.0)},
        {"tanh[X]", 0.3, std::tanh(0.3)},
        {"sech[X]", 1.1, 1 / std::cosh(1.1)},
        {"csch[X]", -2.0, 1 / std::sinh(-2.0)},
        {"coth[X]", 0.5, 1 / std::tanh(0.5)},
        {"arcsin[X]", 0.5, M_PI / 6},
        {"arccos[X]", -1.0, M_PI},
        {"arctan[X]", 1.0, M_PI / 4},
        {"atan[X] - arctan[X]", 3.0, 0.0},
        {"arcsec[X]", 2.0, M_PI / 3},
        {"arccsc[X]", -2.0, -M_PI / 6},
        {"arccot[X]", 1.0, M_PI / 4},
        {"arccot[X]", -2.0, std::atan(-0.5)},
        {"arccot[X]", 0.0, M_PI / 2},
        {"arcsinh[X]", 1.0, std::log(1 + std::sqrt(2.0))},
        {"arccosh[X]", 1.0, 0.0},
        {"arctanh[X]", 0.5, 0.5 * std::log(3.0)},
        {"arcsech[X]", 0.5, std::acosh(2.0)},
        {"arccsch[X]", 2.0, std::asinh(0.5)},
        {"arccoth[X]", -3.0, std::atanh(-1.0 / 3)},
    };
    for (const Case& c : cases)
        ExpectBothWays(c);
}

TEST(MathFunctions, IntegerAndSeveralArgumentFunctionsFollowTheirDefinitions) {
    const Case cases[] = {
        {"factorial[X]", 5, 120},
        {"factorial[X]", 0, 1},
        {"factorial[X]", 20, 2432902008176640000.0},
        {"ceiling[X]", -1.5, -1},
        {"ceiling[X]", 1.2, 2},
        {"floor[X]", -1.5, -2},
        {"quotient[X, -2]", 7, -3},
        {"quotient[X, 2]", -7, -3},
        {"rem[X, 2]", -7, -1},
        {"rem[X, -3]", 7, 1},
        {"min[3, X, 2]", 1, 1},
        {"max[X]", -1, -1},
        {"max[X, 2 X, -X]", -4, 4},
        {"root[3, X]", -8, -2},
        {"root[2, X]", 9, 3},
        {"root[X]", 16, 4},
        {"root[0.5, X]", 3, 9},
        {"log[2, X]", 8, 3},
        {"log[X]", 1000, 3},
        {"log[X, 81]", 3, 4},
        {"implies[X, 0]", 1, 0},
        {"implies[X, 0]", 0, 1},
        {"implies[X > 1, 2]", 3, 1},
    };
    for (const Case& c : cases)
        ExpectBothWays(c);
}

TEST(MathFunctions, DomainErrorsNameTheFunction) {
    const struct {
        const char* expression;
        int buildCode;
        const char* function;
    } cases[] = {
        {"arcsin[2]", 15, "arcsin"},
        {"arccos[-1.5]", 15, "arccos"},
        {"arcsec[0.5]", 15, "arcsec"},
        {"arccsc[0]", 15, "arccsc"},
        {"arccosh[0.5]", 15, "arccosh"},
        {"arctanh[1]", 15, "arctanh"},
        {"arcsech[2]", 15, "arcsech"},
        {"arcsech[0]", 15, "arcsech"},
        {"arccsch[0]", 15, "arccsch"},
        {"arccoth[0.5]", 15, "arccoth"},
        {"csc[0]", 15, "csc"},
        {"cot[0]", 15, "cot"},
        {"coth[0]", 15, "coth"},
        {"csch[0]", 15, "csch"},
        {"tan[1e30]", 15, "tan"},
        {"sinh[1000]", 12, "sinh"},
        {"cosh[-1000]", 12, "cosh"},
        {"sech[1000]", 16, "sech"},
        {"factorial[-1]", 15, "factorial"},
        {"factorial[2.5]", 15, "factorial"},
        {"factorial[171]", 12, "factorial"},
        {"quotient[1, 0]", 15, "quotient"},
        {"rem[1, 0]", 15, "rem"},
        {"root[2, -4]", 15, "root"},
        {"root[0, 5]", 15, "root"},
        {"log[1, 5]", 15, "log"},
        {"log[2, -1]", 15, "log"},
        {"log[2, 0]", 15, "log"},
    };
    for (const auto& c : cases) {
        BuiltModel constant({"k = " + std::string(c.expression)});
        EXPECT_EQ(constant.Code(), c.buildCode) << c.expression;
        EXPECT_EQ(constant.sink.detail, c.function) << c.expression;
    }
}

TEST(MathFunctions, RunTimeFailuresComeThroughTheEvaluator) {
    BuiltModel built({"X' = arcsin[X] + factorial[X] + quotient[1, X - 1]", "X = 0"});
    ASSERT_EQ(built.Code(), 0) << built.sink.context;
    std::vector<double> stack(built.model.stackDepth + 1);
    const std::vector<double> constants = BuiltModel::Values(built.model.constants);
    const struct {
        double x;
        int error;
        const char* function;
    } cases[] = {{2, kEvalDomain, "arcsin"},
                 {0.5, kEvalDomain, "factorial"},
                 {1, kEvalSingularity, "quotient"},
                 {0, 0, ""}};
    for (const auto& c : cases) {
        int error = -1;
        const double value =
            built.model.Evaluate(0, 0, 0.0, &c.x, nullptr, constants.data(), error, stack.data());
        EXPECT_EQ(error, c.error) << c.x;
        if (c.error != 0) {
            EXPECT_STREQ(CurrentMathError().function, c.function) << c.x;
        } else {
            EXPECT_EQ(value, 0 + 1 - 1);
        }
    }
}

TEST(MathFunctions, ArgumentCountsAreChecked) {
    const struct {
        const char* expression;
        int code;
    } cases[] = {{"quotient[1]", 2}, {"rem[1, 2, 3]", 2}, {"root[2, 8, 1]", 2}, {"log[2, 8, 1]", 2},
                 {"min[]", 2},       {"tan[1, 2]", 8},    {"implies[1]", 2}};
    for (const auto& c : cases) {
        BuiltModel built({"k = " + std::string(c.expression)});
        EXPECT_EQ(built.Code(), c.code) << c.expression;
    }
}

} // namespace
} // namespace kora::test

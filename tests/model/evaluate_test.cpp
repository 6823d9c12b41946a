#include <cmath>
#include <thread>

#include "model/math_error.h"
#include "model_fixture.h"

namespace kora::test {
namespace {

TEST(Evaluate, DerivativesAndDefinitionsAtAGivenState) {
    BuiltModel built(
        {"k = 0.8", "X' = k*X^0.5 - Y + _time", "Y' = 2 flux", "flux = k X", "X = 4", "Y = 1"});
    ASSERT_EQ(built.Code(), 0);
    int error = -1;
    EXPECT_DOUBLE_EQ(built.Eval(0, 0, error, 3.0), 0.8 * 2 - 1 + 3);
    EXPECT_EQ(error, 0);
    EXPECT_DOUBLE_EQ(built.Eval(1, 0, error), 0.8 * 4);
    EXPECT_DOUBLE_EQ(built.model.definitions[0].value, 3.2);

    // Values come from the caller's arrays, not from the model.
    std::vector<double> x{9, 2}, aux{10}, c = built.Constants();
    std::vector<double> stack(built.model.stackDepth);
    EXPECT_DOUBLE_EQ(
        built.model.Evaluate(0, 1, 0, x.data(), aux.data(), c.data(), error, stack.data()), 20);
    EXPECT_DOUBLE_EQ(
        built.model.Evaluate(0, 0, 0.5, x.data(), aux.data(), c.data(), error, stack.data()),
        0.8 * 3 - 2 + 0.5);
}

TEST(Evaluate, FailuresGiveSolverCodesAndKeepTheFailingCall) {
    BuiltModel built({"X' = ln[X]", "Y' = X^Y", "Z' = exp[X]", "W' = sin[X]", "V' = X*1e300",
                      "U' = X*1e-300", "S' = X/(Y - 1)", "X = 2", "Y = 2", "Z = 1", "W = 1",
                      "V = 1", "U = 1", "S = 1"});
    ASSERT_EQ(built.Code(), 0);
    const struct {
        int equation;
        double x, y;
        int error;
        const char* function;
    } cases[] = {
        {0, -1, 1, kEvalDomain, "ln"},
        {0, 0, 1, kEvalSingularity, "ln"},
        {1, -2, 0.5, kEvalPower, "pow"},
        {2, 800, 1, kEvalOverflow, "exp"},
        {2, -800, 1, kEvalUnderflow, "exp"},
        {3, 1e30, 1, kEvalTotalLoss, "sin"},
        {4, 1e10, 1, kEvalOverflow, ""},
        {5, 1e-10, 1, kEvalUnderflow, ""},
        // Any zero divisor is a division by zero; a NaN is undefined wherever
        // it comes from, and is named by the word that met it.
        {6, 0, 1, kEvalDivision, ""},
        {6, 3, 1, kEvalDivision, ""},
        {6, 3, NAN, kEvalDomain, "value"},
        {4, NAN, 1, kEvalDomain, "value"},
        {0, 1, 1, 0, ""},
    };
    std::vector<double> c = built.Constants(), stack(built.model.stackDepth), aux;
    for (const auto& t : cases) {
        std::vector<double> v{t.x, t.y, 1, 1, 1, 1, 1};
        int error = -1;
        built.model.Evaluate(0, t.equation, 0, v.data(), aux.data(), c.data(), error, stack.data());
        EXPECT_EQ(error, t.error) << t.equation << " at " << t.x;
        // The record keeps the failing call for the message; a success clears it.
        EXPECT_STREQ(CurrentMathError().function, t.function);
        if (t.error == kEvalPower) {
            EXPECT_EQ(CurrentMathError().arg1, -2);
            EXPECT_EQ(CurrentMathError().arg2, 0.5);
        }
    }
}

TEST(Evaluate, RandIsScaledUniformAndRepeatsAfterARebuild) {
    BuiltModel built({"X' = rand[X]", "X = 10", "c = rand[4]"});
    ASSERT_EQ(built.Code(), 0);
    double folded = built.Constant("c")->value;
    EXPECT_GE(folded, 0.0);
    EXPECT_LE(folded, 4.0);
    int error = 0;
    std::vector<double> first;
    for (int i = 0; i < 200; ++i) {
        double r = built.Eval(0, 0, error);
        EXPECT_GE(r, 0.0);
        EXPECT_LE(r, 10.0);
        first.push_back(r);
    }
    double mean = 0;
    for (double r : first)
        mean += r / first.size();
    EXPECT_NEAR(mean, 5.0, 1.0);

    built.model.Build(built.lines);
    EXPECT_EQ(built.Constant("c")->value, folded);
    for (double expected : first)
        EXPECT_EQ(built.Eval(0, 0, error), expected);
}

TEST(Evaluate, TwoThreadsKeepTheirOwnErrorRecords) {
    BuiltModel built({"X' = ln[X]", "X = 1"});
    ASSERT_EQ(built.Code(), 0);
    std::vector<double> c = built.Constants();
    auto worker = [&](double x, int expectedError, bool& ok) {
        std::vector<double> stack(built.model.stackDepth), v{x}, aux;
        ok = true;
        for (int i = 0; i < 20000; ++i) {
            int error = 0;
            built.model.Evaluate(0, 0, 0, v.data(), aux.data(), c.data(), error, stack.data());
            ok = ok && error == expectedError && CurrentMathError().IsSet() == (error != 0);
        }
    };
    bool failingOk = false, succeedingOk = false;
    std::thread failing(worker, -1.0, kEvalDomain, std::ref(failingOk));
    std::thread succeeding(worker, 2.0, 0, std::ref(succeedingOk));
    failing.join();
    succeeding.join();
    EXPECT_TRUE(failingOk);
    EXPECT_TRUE(succeedingOk);
}

} // namespace
} // namespace kora::test

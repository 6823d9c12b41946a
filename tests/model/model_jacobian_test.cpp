// The forward-mode Jacobian against central differences of the model's own
// evaluation: on every example and test model, and on every function.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "model/krm_parser.h"
#include "model/model_jacobian.h"
#include "model/read_dependencies.h"
#include "model_files.h"

namespace kora {
namespace {

struct BuiltModel {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};
    std::vector<double> constants, auxiliary, stack;

    explicit BuiltModel(const TextLines& lines) {
        model.Build(lines);
        for (const Statement& c : model.constants)
            constants.push_back(c.value);
        auxiliary.assign(model.definitions.size(), 0.0);
        stack.assign(std::max<size_t>(1, model.stackDepth), 0.0);
    }

    bool Derivatives(const std::vector<double>& y, std::vector<double>& f) {
        int error = 0;
        for (size_t j = 0; j < auxiliary.size(); ++j) {
            auxiliary[j] = model.Evaluate(1, static_cast<int>(j), 0.5, y.data(), auxiliary.data(),
                                          constants.data(), error, stack.data());
            if (error != 0) return false;
        }
        f.resize(y.size());
        for (size_t i = 0; i < y.size(); ++i) {
            f[i] = model.Evaluate(0, static_cast<int>(i), 0.5, y.data(), auxiliary.data(),
                                  constants.data(), error, stack.data());
            if (error != 0) return false;
        }
        return true;
    }
};

// Central differences have error O(h^2 f'''); h ~ 1e-5 relative leaves
// about 1e-9 relative, far inside the tolerance, while a wrong slope formula
// is off by O(1).
void ExpectExactMatchesDifferences(BuiltModel& built, const std::vector<double>& y,
                                   const std::string& label) {
    const size_t n = y.size();
    ModelJacobian jacobian(built.model);
    std::vector<double> seed(n, 0.0), exact(n), up, down, shifted = y;
    for (size_t j = 0; j < n; ++j) {
        seed[j] = 1.0;
        ASSERT_TRUE(
            jacobian.Times(0.5, y.data(), seed.data(), built.constants.data(), exact.data()))
            << label << " column " << j;
        seed[j] = 0.0;
        const double h = 1e-5 * std::max(std::fabs(y[j]), 1e-2);
        shifted[j] = y[j] + h;
        ASSERT_TRUE(built.Derivatives(shifted, up)) << label;
        shifted[j] = y[j] - h;
        ASSERT_TRUE(built.Derivatives(shifted, down)) << label;
        shifted[j] = y[j];
        for (size_t i = 0; i < n; ++i) {
            const double difference = (up[i] - down[i]) / (2 * h);
            EXPECT_NEAR(exact[i], difference, 1e-5 * (std::fabs(difference) + 1.0))
                << label << ": d f" << i << " / d y" << j;
        }
    }
}

// A point away from zero, where power laws and the functions are smooth.
std::vector<double> InteriorPoint(const KRMparser& model) {
    std::vector<double> y;
    for (const Statement& equation : model.equations)
        y.push_back(std::max(std::fabs(equation.value), 0.1) * (1.0 + 0.013 * y.size()));
    return y;
}

TEST(ModelJacobian, MatchesDifferencesOnEveryExampleAndTestModel) {
    int checked = 0;
    for (const std::filesystem::path& file : test::ExampleAndTestModels()) {
        BuiltModel built(test::ModelLinesOf(file));
        std::vector<std::vector<int32_t>> reads;
        if (built.sink.code != 0 || built.model.VariableCount() == 0 ||
            !DerivativeReads(built.model, reads))
            continue;
        ExpectExactMatchesDifferences(built, InteriorPoint(built.model), file.filename().string());
        ++checked;
    }
    EXPECT_GE(checked, 7);
}

TEST(ModelJacobian, EveryFunctionHasItsDerivative) {
    // Each equation puts one function on a variable inside its domain there.
    const std::vector<std::string> bodies{"abs[X - 1]",
                                          "atan[X]",
                                          "cos[X]",
                                          "exp[X]",
                                          "ln[X]",
                                          "sin[X]",
                                          "sqrt[X]",
                                          "log[X]",
                                          "tan[X]",
                                          "sec[X]",
                                          "csc[X]",
                                          "cot[X]",
                                          "sinh[X]",
                                          "cosh[X]",
                                          "tanh[X]",
                                          "sech[X]",
                                          "csch[X]",
                                          "coth[X]",
                                          "arcsin[X/2]",
                                          "arccos[X/2]",
                                          "arctan[X]",
                                          "arcsec[X+1]",
                                          "arccsc[X+1]",
                                          "arccot[X]",
                                          "arcsinh[X]",
                                          "arccosh[X+1]",
                                          "arctanh[X/2]",
                                          "arcsech[X/2]",
                                          "arccsch[X]",
                                          "arccoth[X+1]",
                                          "min[X, 2 - X]",
                                          "max[X, 0.1 X]",
                                          "rem[3 X, 0.7 X + 1]",
                                          "root[3, X]",
                                          "root[X + 1, 5]",
                                          "log[X + 1, 7 X]",
                                          "X^2.5 / (1 + X)",
                                          "2^X",
                                          "X^X",
                                          "(X - 1)^3",
                                          "floor[X] + X",
                                          "piecewise[X, X < 0.5, 2 X]",
                                          "flag[X - 0.1] * X",
                                          "quotient[7, X + 0.05] + X"};
    TextLines lines;
    for (size_t i = 0; i < bodies.size(); ++i) {
        const std::string x = "X" + std::to_string(i);
        std::string body = bodies[i];
        for (size_t at = body.find('X'); at != std::string::npos; at = body.find('X', at + 1))
            body.replace(at, 1, x), at += x.size() - 1;
        lines.push_back(x + "' = " + body);
        lines.push_back(x + " = 0.7");
    }
    BuiltModel built(lines);
    ASSERT_EQ(built.sink.code, 0) << built.sink.context;
    std::vector<double> y(bodies.size(), 0.7);
    ExpectExactMatchesDifferences(built, y, "functions");
}

TEST(ModelJacobian, DefinitionsCarryTheirSlopesAndConditionsChooseTheBranch) {
    BuiltModel built({"v = A^0.5 * B^-0.3", "w = piecewise[v, A > 1, -v]", "A' = 2 w - A B",
                      "B' = v - B^2", "A = 0.8", "B = 1.3"});
    ASSERT_EQ(built.sink.code, 0) << built.sink.context;
    ExpectExactMatchesDifferences(built, {0.8, 1.3}, "below");
    ExpectExactMatchesDifferences(built, {1.6, 1.3}, "above");
}

TEST(ModelJacobian, RefusesWhereTheSlopeIsInfinite) {
    BuiltModel built({"X' = sqrt[X]", "X = 0"});
    ModelJacobian jacobian(built.model);
    const double y = 0.0, v = 1.0;
    double jv = 0.0;
    EXPECT_FALSE(jacobian.Times(0.0, &y, &v, built.constants.data(), &jv));
}

} // namespace
} // namespace kora

#include <gtest/gtest.h>

#include <random>

#include "fit_fixture.h"

namespace kora {
namespace {

using namespace kora::testing;

std::string ChainData(double k1, double k2, double x0, const std::string& preamble = "") {
    return CsvOf(
        {"X", "Y"}, 0.5, 10,
        [=](size_t c, double t) { return c == 0 ? ChainX(k1, x0, t) : ChainY(k1, k2, x0, t); },
        preamble);
}

TEST(LocalFit, RecoversTheConstantsOfNoiseFreeDataExactly) {
    FitRequest request = Request(kChainModel);
    request.data.push_back(Table(ChainData(0.7, 0.3, 2.0)));
    request.parameters = {{"k1", 0.01, 100}, {"k2", 0.01, 100}};
    const FitResult result = RunFit(request);
    ASSERT_EQ(result.message, "");
    EXPECT_TRUE(result.converged);
    EXPECT_NEAR(Parameter(result, "k1").value, 0.7, 1e-7);
    EXPECT_NEAR(Parameter(result, "k2").value, 0.3, 1e-7);
    EXPECT_LT(result.objective, 1e-14);
    EXPECT_EQ(result.points, 42);
    EXPECT_TRUE(Parameter(result, "k1").logScale); // four decades
}

// With noise of known sd in the file, the estimates lie within two standard
// errors of the truth, and the errors come from the sd (chi2 ~ points).
TEST(LocalFit, RecoversNoisyDataWithinTwoStandardErrors) {
    std::mt19937 generator(12345);
    std::normal_distribution<double> noise(0.0, 0.02);
    std::string text = "t,X,Y,sd_X,Y_sd\n";
    for (int k = 0; k <= 40; ++k) {
        const double t = 0.25 * k;
        text += FormatGeneral(t, 17) + "," +
                FormatGeneral(ChainX(0.7, 2, t) + noise(generator), 17) + "," +
                FormatGeneral(ChainY(0.7, 0.3, 2, t) + noise(generator), 17) + ",0.02,0.02\n";
    }
    FitRequest request = Request(kChainModel);
    request.data.push_back(Table(text));
    request.parameters = {{"k1"}, {"k2"}, {"X"}};
    const FitResult result = RunFit(request);
    ASSERT_EQ(result.message, "");
    EXPECT_TRUE(result.converged);
    for (const auto& [name, truth] : {std::pair{"k1", 0.7}, {"k2", 0.3}, {"X", 2.0}}) {
        const FittedParameter& p = Parameter(result, name);
        EXPECT_GT(p.se, 0.0) << name;
        EXPECT_LT(std::fabs(p.value - truth), 2 * p.se) << name;
    }
    EXPECT_NEAR(result.chi2, result.objective, 1e-9);
    EXPECT_GT(result.chi2, 40.0); // about points - parameters = 79
    EXPECT_LT(result.chi2, 130.0);
    EXPECT_NEAR(result.correlation[0][0], 1.0, 1e-12);
}

TEST(LocalFit, StopsAtAnActiveBoundAndSaysSo) {
    FitRequest request = Request(kChainModel);
    request.data.push_back(Table(ChainData(0.7, 0.3, 2.0)));
    request.parameters = {{"k1", 0.1, 0.5}, {"k2", 0.01, 10}};
    const FitResult result = RunFit(request);
    ASSERT_EQ(result.message, "");
    const FittedParameter& k1 = Parameter(result, "k1");
    EXPECT_NEAR(k1.value, 0.5, 1e-5);
    EXPECT_TRUE(k1.atBound);
    EXPECT_TRUE(std::isnan(k1.se));
    EXPECT_GT(Parameter(result, "k2").se, 0.0);
}

// Only the product k1 k2 reaches the data: both are flagged by name.
TEST(LocalFit, FlagsParametersTheDataCannotDetermine) {
    FitRequest request = Request("a = 1\nb = 1\nX' = -a * b * X\nX = 1\ntf = 5\n");
    request.data.push_back(
        Table(CsvOf({"X"}, 0.5, 5, [](size_t, double t) { return std::exp(-0.6 * t); })));
    request.parameters = {{"a", 0.01, 10}, {"b", 0.01, 10}};
    const FitResult result = RunFit(request);
    ASSERT_EQ(result.message, "");
    EXPECT_NEAR(Parameter(result, "a").value * Parameter(result, "b").value, 0.6, 1e-6);
    EXPECT_EQ(result.notIdentifiable, (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(Parameter(result, "a").identifiable);
    EXPECT_TRUE(std::isnan(Parameter(result, "a").se));
}

// Two experiments from different initial values (the second sets it in its
// file) share the rate constants; each alone is consistent only with its own
// start, so a good fit shows each set was solved with its assignment.
TEST(LocalFit, FitsSeveralDataSetsSharingConstants) {
    FitRequest request = Request(kChainModel);
    request.data.push_back(Table(ChainData(0.7, 0.3, 2.0), "one.csv"));
    request.data.push_back(Table(ChainData(0.7, 0.3, 5.0, "# X = 5\n"), "two.csv"));
    EXPECT_EQ(request.data[1].assignments, (std::vector<std::string>{"X = 5"}));
    request.parameters = {{"k1"}, {"k2"}};
    const FitResult result = RunFit(request);
    ASSERT_EQ(result.message, "");
    EXPECT_EQ(result.points, 84);
    EXPECT_NEAR(Parameter(result, "k1").value, 0.7, 1e-7);
    EXPECT_NEAR(Parameter(result, "k2").value, 0.3, 1e-7);
    EXPECT_LT(result.objective, 1e-13);
}

TEST(LocalFit, SkipsMissingValues) {
    std::string text = "t;X;Y\n";
    for (int k = 0; k <= 20; ++k) {
        const double t = 0.5 * k;
        // Comma decimals in a semicolon table; every third X empty, every fourth Y NA.
        std::string x = k % 3 == 1 ? "" : FormatGeneral(ChainX(0.7, 2, t), 17, ',');
        std::string y = k % 4 == 2 ? "NA" : FormatGeneral(ChainY(0.7, 0.3, 2, t), 17, ',');
        text += FormatGeneral(t, 17, ',') + ";" + x + ";" + y + "\n";
    }
    FitRequest request = Request(kChainModel);
    request.data.push_back(Table(text));
    request.parameters = {{"k1"}, {"k2"}};
    const FitResult result = RunFit(request);
    ASSERT_EQ(result.message, "");
    EXPECT_EQ(result.points, 42 - 7 - 5);
    EXPECT_NEAR(Parameter(result, "k1").value, 0.7, 1e-7);
    EXPECT_NEAR(Parameter(result, "k2").value, 0.3, 1e-7);
}

// The classic problem: five first-order rates from all rates equal to the
// published least squares optimum.
TEST(LocalFit, ReachesThePublishedOptimumOfTheAlphaPineneProblem) {
    const std::string folder = std::string(KORA_EXAMPLES_DIR) + "/fit/";
    TextLines lines;
    ASSERT_EQ(ReadTextLines(folder + "alpha_pinene.krm", lines), TextReadStatus::Ok);
    FitRequest request;
    request.model.modelLines = ExtractModelLines(lines, true).modelLines;
    DataTable table;
    ASSERT_EQ(ReadDataFile(folder + "alpha_pinene.csv", table), "");
    request.data.push_back(table);
    for (const char* name : {"k1", "k2", "k3", "k4", "k5"})
        request.parameters.push_back({name});
    const FitResult result = RunFit(request);
    ASSERT_EQ(result.message, "");
    EXPECT_TRUE(result.converged);
    EXPECT_NEAR(result.ssr, 19.872, 5e-4);
    EXPECT_NEAR(Parameter(result, "k1").value, 5.9259e-5, 1e-8);
    EXPECT_NEAR(Parameter(result, "k4").value, 2.7447e-4, 1e-7);
}

} // namespace
} // namespace kora

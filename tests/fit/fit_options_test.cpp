#include <gtest/gtest.h>

#include <cmath>

#include "fit/fit_arguments.h"
#include "fit/fit_report.h"
#include "fit/parameter_scale.h"
#include "fit_fixture.h"

namespace kora {
namespace {

using namespace kora::testing;

// Every value inside the bounds has a coordinate that gives it back; the
// coordinate's whole line maps inside the bounds.
TEST(ParameterScale, MapsEveryCoordinateInsideTheBoundsAndBack) {
    const ParameterScale scales[] = {
        ParameterScale(-2, 3, false),           ParameterScale(1e-4, 10, true),
        ParameterScale(0.5, kUnbounded, false), ParameterScale(-kUnbounded, 4, false),
        ParameterScale(0, kUnbounded, true),    ParameterScale(-kUnbounded, kUnbounded, false)};
    for (const ParameterScale& scale : scales) {
        for (double value : {-1.5, 0.001, 0.7, 2.5, 3.9}) {
            const double inside = scale.Clamp(value);
            EXPECT_NEAR(scale.ValueOf(scale.InternalOf(inside)), inside, 1e-9 * std::fabs(inside))
                << scale.low() << " " << scale.high() << " " << value;
        }
        for (double u = -20; u <= 20; u += 0.37) {
            const double v = scale.ValueOf(u);
            EXPECT_GE(v, scale.low());
            EXPECT_LE(v, scale.high());
        }
    }
    EXPECT_TRUE(ParameterScale(1, 2, false).NearBound(2.0));
    EXPECT_FALSE(ParameterScale(1, 2, false).NearBound(1.5));
    EXPECT_TRUE(UsesLogScale({"k", 1e-3, 1}));
    EXPECT_FALSE(UsesLogScale({"k", 1e-1, 1}));
    EXPECT_FALSE(UsesLogScale({"k", 1e-3, 1, FitParameterSpec::Scale::Linear}));
}

TEST(FitArguments, ReadsTheBatchToolsWords) {
    FitArguments parsed;
    ASSERT_EQ(ParseFitArguments("one.csv \"two words.csv\" --fit k=0:5 --fit X=:2 --fit c "
                                "--log k --method multistart --starts 7 --seed 9 --weights range",
                                parsed),
              "");
    EXPECT_EQ(parsed.dataFiles, (std::vector<std::string>{"one.csv", "two words.csv"}));
    ASSERT_EQ(parsed.parameters.size(), 3u);
    EXPECT_EQ(parsed.parameters[0].scale, FitParameterSpec::Scale::Log);
    EXPECT_EQ(parsed.parameters[1].low, -kUnbounded);
    EXPECT_EQ(parsed.parameters[1].high, 2.0);
    EXPECT_EQ(parsed.options.method, FitMethod::MultiStart);
    EXPECT_EQ(parsed.options.starts, 7);
    EXPECT_EQ(parsed.options.seed, 9u);
    EXPECT_EQ(parsed.options.weighting, FitWeighting::Range);

    EXPECT_EQ(ParseFitArguments("d.csv", parsed), "--fit NAME is needed");
    EXPECT_EQ(ParseFitArguments("--fit k", parsed), "at least one data file is needed");
    EXPECT_EQ(ParseFitArguments("d.csv --fit k=3:1", parsed),
              "--fit k=3:1: LOW must be below HIGH");
    EXPECT_EQ(ParseFitArguments("d.csv --fit k --log q", parsed), "--log q: q is not fitted");
    EXPECT_EQ(ParseFitArguments("d.csv --fit k --starts", parsed), "--starts needs a value");
    EXPECT_EQ(ParseFitArguments("d.csv --fit k --bogus 1", parsed), "unknown option '--bogus'");
}

// Weights by range make quantities of different size count alike: scaling
// one quantity's data by 1000 leaves the range-weighted objective as it was.
TEST(FitWeights, RangeWeightingIsIndependentOfEachQuantitysUnits) {
    const auto objective = [](double scale) {
        FitRequest request =
            Request("k = 1\nc = 1\nX' = -k * X\nY' = -c * Y\nX = 1\nY = 1\ntf = 4\n");
        request.data.push_back(Table(CsvOf({"X", "Y"}, 0.5, 4, [scale](size_t c, double t) {
            return c == 0 ? std::exp(-0.4 * t) + 0.01 * std::sin(7 * t)
                          : scale * (std::exp(-0.9 * t) + 0.01 * std::cos(5 * t));
        })));
        request.model.modelLines.push_back("Y = " + FormatGeneral(scale, 17));
        request.parameters = {{"k"}, {"c"}};
        request.options.weighting = FitWeighting::Range;
        return RunFit(request).objective;
    };
    EXPECT_NEAR(objective(1000.0), objective(1.0), 1e-9);
}

TEST(FitReport, WritesJsonWithNullsForMissingFigures) {
    FitResult result;
    result.objective = result.ssr = result.chi2 = 2.5;
    result.aic = -1;
    result.bic = 0.5;
    result.evaluations = 12;
    result.converged = true;
    FittedParameter k;
    k.name = "k";
    k.value = 0.25;
    k.low = 0;
    k.identifiable = false;
    result.parameters = {k};
    result.correlation = {{std::nan("")}};
    result.notIdentifiable = {"k"};
    EXPECT_EQ(FitResultJson(result),
              "{\"objective\":2.5,\"ssr\":2.5,\"chi2\":2.5,\"aic\":-1,\"bic\":0.5,"
              "\"evaluations\":12,\"converged\":true,\"parameters\":{\"k\":{\"value\":0.25,"
              "\"se\":null,\"low\":0,\"high\":null}},\"correlation\":[[null]],"
              "\"not_identifiable\":[\"k\"]}\n");
    EXPECT_NE(FitResultText(result).find("k        0.25           not identifiable"),
              std::string::npos)
        << FitResultText(result);
}

} // namespace
} // namespace kora

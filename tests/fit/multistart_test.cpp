#include <gtest/gtest.h>

#include "fit/multistart.h"
#include "fit_fixture.h"

namespace kora {
namespace {

using namespace kora::testing;

// Two minima in k: X fits k = 1 and k = 3 alike, the weak Y only k = 3, so
// k = 1 is a local minimum that a local fit from k = 0.5 ends in.
FitRequest TwoMinima() {
    FitRequest request = Request("k = 0.5\nX' = -(k - 2)^2 * X\nY' = -0.05 * k * Y\n"
                                 "X = 1\nY = 1\ntf = 4\n");
    request.data.push_back(Table(CsvOf({"X", "Y"}, 0.25, 4, [](size_t c, double t) {
        return c == 0 ? std::exp(-t) : std::exp(-0.15 * t); // k = 3
    })));
    request.parameters = {{"k", 0.0, 5.0, FitParameterSpec::Scale::Linear}};
    request.options.starts = 12;
    return request;
}

TEST(MultiStart, FindsTheGlobalMinimumThatALocalFitMisses) {
    FitRequest request = TwoMinima();
    const FitResult local = RunFit(request);
    request.options.method = FitMethod::MultiStart;
    const FitResult global = RunFit(request);
    ASSERT_EQ(global.message, "");
    EXPECT_LT(Parameter(local, "k").value, 2.0);
    EXPECT_GT(local.objective, 1e-4);
    EXPECT_NEAR(Parameter(global, "k").value, 3.0, 1e-5);
    EXPECT_EQ(global.startsDone, 13); // the model's own values and 12 more
    EXPECT_LT(global.objective, 1e-12);
}

TEST(MultiStart, GivesTheSameResultWhateverTheThreadCount) {
    FitRequest request = TwoMinima();
    request.options.method = FitMethod::MultiStart;
    request.options.threads = 1;
    const FitResult one = RunFit(request);
    request.options.threads = 3;
    int calls = 0;
    double lastBest = 1e300;
    const FitResult three = RunFit(request, nullptr, [&](const FitProgress& progress) {
        ++calls;
        EXPECT_LE(progress.bestObjective, lastBest);
        lastBest = progress.bestObjective;
        EXPECT_EQ(progress.starts, 13);
    });
    EXPECT_EQ(calls, 13);
    EXPECT_EQ(one.objective, three.objective);
    EXPECT_EQ(Parameter(one, "k").value, Parameter(three, "k").value);
    EXPECT_EQ(one.evaluations, three.evaluations);
}

TEST(MultiStart, StopKeepsTheBestSoFar) {
    FitRequest request = TwoMinima();
    request.options.method = FitMethod::MultiStart;
    request.options.threads = 1;
    std::atomic<bool> stop{false};
    const FitResult result = RunFit(request, &stop, [&](const FitProgress& progress) {
        if (progress.startsDone == 2) stop = true;
    });
    ASSERT_EQ(result.message, "");
    EXPECT_EQ(result.startsDone, 2);
    EXPECT_FALSE(result.parameters.empty());
}

TEST(MultiStart, DrawsOnePointPerStratumOfEveryParameter) {
    const std::vector<ParameterScale> scales = {ParameterScale(0, 10, false),
                                                ParameterScale(1e-3, 1e3, true)};
    const auto points = LatinHypercube(scales, 10, 7);
    ASSERT_EQ(points.size(), 10u);
    std::vector<int> linear(10, 0), logarithmic(10, 0);
    for (const auto& point : points) {
        ++linear[static_cast<int>(point[0])];
        ++logarithmic[static_cast<int>((std::log10(point[1]) + 3) / 0.6)];
    }
    EXPECT_EQ(linear, std::vector<int>(10, 1));
    EXPECT_EQ(logarithmic, std::vector<int>(10, 1));
    EXPECT_EQ(LatinHypercube(scales, 10, 7), points);
    EXPECT_NE(LatinHypercube(scales, 10, 8), points);
}

TEST(MultiStart, NeedsBoundsForEveryParameter) {
    FitRequest request = TwoMinima();
    request.parameters = {{"k"}};
    request.options.method = FitMethod::MultiStart;
    EXPECT_NE(RunFit(request).message.find("finite bounds"), std::string::npos);
}

} // namespace
} // namespace kora

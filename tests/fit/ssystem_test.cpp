#include <gtest/gtest.h>

#include <random>

#include "fit/ssystem_identify.h"
#include "fit_fixture.h"

namespace kora {
namespace {

using namespace kora::testing;

// Four variables with inhibition and a two-variable degradation term.
const char* kTruth = "X5 = 0.1\n"
                     "X1' = 12 * X3^-0.8 * X5 - 10 * X1^0.5\n"
                     "X2' = 8 * X1^0.5 - 3 * X2^0.75\n"
                     "X3' = 3 * X2^0.75 - 5 * X3^0.5 * X4^0.2\n"
                     "X4' = 2 * X1^0.5 - 6 * X4^0.8\n"
                     "X1 = 0.7\nX2 = 0.12\nX3 = 0.14\nX4 = 0.16\ntf = 5\n";

// The same structure with every rate and order unknown.
const char* kUnknown = "a1 = 5\ng13 = -0.5\nb1 = 5\nh11 = 0.5\n"
                       "a2 = 5\ng21 = 0.5\nb2 = 5\nh22 = 0.5\n"
                       "a3 = 5\ng32 = 0.5\nb3 = 5\nh33 = 0.5\nh34 = 0.5\n"
                       "a4 = 5\ng41 = 0.5\nb4 = 5\nh44 = 0.5\n"
                       "X5 = 0.1\n"
                       "X1' = a1 * X3^g13 * X5 - b1 * X1^h11\n"
                       "X2' = a2 * X1^g21 - b2 * X2^h22\n"
                       "X3' = a3 * X2^g32 - b3 * X3^h33 * X4^h34\n"
                       "X4' = a4 * X1^g41 - b4 * X4^h44\n"
                       "X1 = 0.7\nX2 = 0.12\nX3 = 0.14\nX4 = 0.16\ntf = 5\n";

const std::vector<std::pair<std::string, double>> kTrueValues = {
    {"a1", 12},   {"g13", -0.8}, {"b1", 10},   {"h11", 0.5},  {"a2", 8},   {"g21", 0.5},
    {"b2", 3},    {"h22", 0.75}, {"a3", 3},    {"g32", 0.75}, {"b3", 5},   {"h33", 0.5},
    {"h34", 0.2}, {"a4", 2},     {"g41", 0.5}, {"b4", 6},     {"h44", 0.8}};

// Time courses of the true system from three starts, every `step` up to 5, with
// relative noise of `noise`, as data tables that set their starts.
std::vector<DataTable> Experiments(double noise, double step) {
    const double starts[3][4] = {
        {0.7, 0.12, 0.14, 0.16}, {0.2, 1.0, 0.5, 0.05}, {1.5, 0.5, 1.0, 0.4}};
    std::mt19937 generator(99);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::vector<DataTable> tables;
    for (const auto& x0 : starts) {
        std::string preamble;
        for (int i = 0; i < 4; ++i)
            preamble += "# X" + std::to_string(i + 1) + " = " + FormatGeneral(x0[i], 17) + "\n";
        // Solve the truth at the data times through a fit problem's experiment.
        FitRequest truth = Request(kTruth);
        DataTable grid = Table(CsvOf(
            {"X1", "X2", "X3", "X4"}, step, 5, [](size_t, double) { return 1.0; }, preamble));
        Experiment experiment;
        EXPECT_EQ(
            experiment.Prepare(truth.model, grid, {"X5"}, FitWeighting::StandardDeviations, 12),
            "");
        std::vector<double> values;
        const double x5 = 0.1;
        EXPECT_TRUE(experiment.Trajectory(&x5, grid.times, values));
        size_t row = 0;
        tables.push_back(Table(CsvOf(
            {"X1", "X2", "X3", "X4"}, step, 5,
            [&](size_t c, double) {
                const double v = values[row * 4 + c];
                if (c == 3) ++row;
                return v * (1.0 + noise * normal(generator));
            },
            preamble)));
    }
    return tables;
}

FitRequest Identification(double noise, double step) {
    FitRequest request = Request(kUnknown);
    request.data = Experiments(noise, step);
    for (const auto& [name, value] : kTrueValues) {
        const bool rate = name[0] == 'a' || name[0] == 'b';
        request.parameters.push_back({name, rate ? 0.01 : -2.0, rate ? 100.0 : 2.0});
    }
    request.options.method = FitMethod::SSystem;
    return request;
}

TEST(SSystemIdentification, RecoversKineticOrdersFromNoiseFreeTimeCourses) {
    const FitResult result = RunFit(Identification(0.0, 0.02));
    ASSERT_EQ(result.message, "");
    EXPECT_TRUE(result.converged);
    for (const auto& [name, value] : kTrueValues) {
        const FittedParameter& p = Parameter(result, name);
        EXPECT_NEAR(p.value, value, name[0] == 'a' || name[0] == 'b' ? 1e-3 * value : 1e-3) << name;
        // The decoupled regressions alone already come close: the slopes of
        // the first fast transient are what keeps them from the answer.
        EXPECT_NEAR(p.start, value, 0.1 * std::max(1.0, std::fabs(value))) << name;
    }
}

TEST(SSystemIdentification, RecoversKineticOrdersFromNoisyTimeCourses) {
    FitRequest request = Identification(0.05, 0.1);
    request.options.weighting = FitWeighting::Range;
    const FitResult result = RunFit(request);
    ASSERT_EQ(result.message, "");
    EXPECT_TRUE(result.converged);
    for (const auto& [name, value] : kTrueValues) {
        const FittedParameter& p = Parameter(result, name);
        if (name[0] == 'a' || name[0] == 'b') continue; // rates trade off with orders
        EXPECT_LT(std::fabs(p.value - value), std::max(3 * p.se, 0.05)) << name;
    }
}

TEST(SSystemIdentification, SaysWhenTheModelIsNotAnSSystem) {
    const auto message = [](const std::string& equation) {
        FitRequest request = Request("k = 1\n" + equation + "\nX = 1\ntf = 2\n");
        request.data.push_back(Table("t,X\n0,1\n1,1.2\n2,1.3\n"));
        request.parameters = {{"k"}};
        request.options.method = FitMethod::SSystem;
        return RunFit(request).message;
    };
    EXPECT_NE(message("X' = k * X^0.5 + 2 - X").find("one production and one degradation term"),
              std::string::npos);
    EXPECT_NE(message("X' = k * X^0.5 - k * X").find("rate constant or kinetic order"),
              std::string::npos);
    EXPECT_NE(message("X' = 2 * X^0.5 - sin[k] * X").find("power-law form"), std::string::npos);
    // A chain starting from Y = 0: the terms decide, not the values (k1 is in
    // two equations).
    FitRequest chain = Request(kChainModel);
    chain.data.push_back(Table("t,X,Y\n0,2,0\n1,1.2,0.5\n2,0.7,0.6\n"));
    chain.parameters = {{"k1"}};
    chain.options.method = FitMethod::SSystem;
    EXPECT_NE(RunFit(chain).message.find("k1 is not"), std::string::npos) << RunFit(chain).message;
}

TEST(SSystemIdentification, SmoothsSlopesOfACubicExactly) {
    std::vector<double> t, x, smooth, slope;
    for (int k = 0; k <= 20; ++k) {
        t.push_back(0.3 * k);
        x.push_back(k == 7 ? std::nan("") : 1 + 2 * t.back() - 0.5 * std::pow(t.back(), 3));
    }
    SmoothSeries(t, x, 3, smooth, slope);
    EXPECT_TRUE(std::isnan(slope[7]));
    for (int k : {0, 5, 12, 20})
        EXPECT_NEAR(slope[k], 2 - 1.5 * t[k] * t[k], 1e-9) << k;
}

} // namespace
} // namespace kora

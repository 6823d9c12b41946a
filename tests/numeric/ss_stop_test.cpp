#include <gtest/gtest.h>

#include "ss_fixture.h"

namespace kora::test {
namespace {

// No steady state: X and Y circle (1, 1) quickly while Z grows for ever, so
// the search fails at once from every start and the integration fallback
// would run to its 200,000-step limit.
const TextLines kNoSteadyState = {
    "X' = 100*X - 100*X*Y", "Y' = 100*X*Y - 100*Y", "Z' = 1", "X = 2", "Y = 1", "Z = 1"};

// The search makes at most 200 (n + 1) evaluations and one Jacobian from each
// of its 20 starts (about 16,000 here), so a stop asked for after 50,000
// evaluations comes during the integration.
constexpr uint64_t kStopAfter = 50000;

TEST(SteadyStateStop, AStopEndsTheIntegrationFallbackWithinOneStep) {
    SsModel m(kNoSteadyState);
    ASSERT_TRUE(m.powerLaw);
    uint64_t asked = 0;
    m.ss.stopRequested = [&] {
        ++asked;
        return m.ss.residualEvaluations > kStopAfter;
    };
    m.Compute();
    EXPECT_EQ(m.ss.status, SS_STOPPED);
    EXPECT_EQ(m.ss.integrationHorizon, 0.0);
    // The model is evaluated no more once the stop is seen; the few calls
    // the solvers still make before giving up are refused at once.
    EXPECT_EQ(asked, kStopAfter + 1);
    EXPECT_LT(m.ss.residualEvaluations - asked, 50u);
}

TEST(SteadyStateStop, AStopBeforeTheStartEvaluatesNothingAndNextComputeIsWhole) {
    SsModel m({"X' = 2 - X", "X = 1"});
    int asked = 0;
    m.ss.stopRequested = [&asked] {
        ++asked;
        return true;
    };
    m.Compute();
    EXPECT_EQ(m.ss.status, SS_STOPPED);
    EXPECT_EQ(asked, 1);
    EXPECT_LT(m.ss.residualEvaluations, 50u);

    // The flag does not outlive its computation.
    m.ss.stopRequested = [] { return false; };
    m.Compute();
    EXPECT_EQ(m.ss.status, 0u);
    EXPECT_DOUBLE_EQ(m.ss.steadyState[0], 2.0);
}

} // namespace
} // namespace kora::test

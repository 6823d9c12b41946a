// Steady states of models with conservation relations, against closed forms
// and SciPy (bench/reference/conservation_steady_states.py: fsolve on the
// reduced system, eigenvalues of the Jacobian projected on the null space of
// the relations).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "numeric/report/report_conservation.h"
#include "numeric/report/ss_report.h"
#include "ss_fixture.h"

namespace kora::test {
namespace {

const TextLines kRobertson = {
    "y1' = -0.04*y1 + 1e4*y2*y3",
    "y2' = 0.04*y1 - 1e4*y2*y3 - 3e7*y2^2",
    "y3' = 3e7*y2^2",
    "y1 = 1",
    "y2 = 0",
    "y3 = 0",
};

// E + S <-> ES -> E + P with S fed at vin: ES = vin/k2, E = ET - ES and
// S = Km ES / E, Km = (km1 + k2)/k1.
const TextLines kEnzyme = {
    "E' = -k1*E*S + km1*ES + k2*ES",
    "S' = vin - k1*E*S + km1*ES",
    "ES' = k1*E*S - km1*ES - k2*ES",
    "E = 2",
    "S = 1",
    "ES = 0.5",
    "k1 = 3",
    "km1 = 1",
    "k2 = 2",
    "vin = 1.5",
};

const TextLines kMoieties = {
    "ATP' = k1*ADP*NADH - k2*ATP",
    "ADP' = k2*ATP - k1*ADP*NADH",
    "NADH' = k3*NAD - k1*ADP*NADH",
    "NAD' = k1*ADP*NADH - k3*NAD",
    "ATP = 2",
    "ADP = 1",
    "NADH = 0.5",
    "NAD = 1.5",
    "k1 = 1",
    "k2 = 0.7",
    "k3 = 0.4",
};

// Exchange between compartments of volumes 1.5 and 0.37: the amount
// 1.5 X1 + 0.37 X2 is kept.
const TextLines kVolumes = {
    "X1' = -(k1*X1 - k2*X2)/V1",
    "X2' = (k1*X1 - k2*X2)/V2",
    "X1 = 1",
    "X2 = 0.2",
    "k1 = 0.9",
    "k2 = 0.35",
    "V1 = 1.5",
    "V2 = 0.37",
};

std::vector<double> Eigenvalues(const KRMForm_ss& ss) {
    std::vector<double> re(ss.eigenvalues, ss.eigenvalues + ss.ReducedCount());
    std::sort(re.begin(), re.end());
    return re;
}

std::string Verdict(const KRMForm_ss& ss) {
    return StabilityVerdict(ss.eigenvalues, ss.eigenvalues + ss.nVars, ss.ReducedCount());
}

TEST(ConservationSteadyState, RobertsonEndsOnItsTotal) {
    SsModel m(kRobertson);
    m.Compute();
    ASSERT_EQ(m.ss.status & SS_NOT_FOUND, 0u);
    ASSERT_EQ(m.ss.relations.size(), 1u);
    const ConservationRelation& r = m.ss.relations[0];
    EXPECT_TRUE(r.wholeNumbers);
    EXPECT_EQ(r.coefficient, (std::vector<double>{1, 1, 1}));
    EXPECT_EQ(RelationText(r, m.model, 7), "y1 + y2 + y3");
    EXPECT_EQ(r.total, 1.0);
    // SciPy: (3.5e-07, 1.4e-12, 0.99999965) still creeping towards (0, 0, 1).
    EXPECT_NEAR(m.ss.steadyState[0], 0.0, 1e-9);
    EXPECT_NEAR(m.ss.steadyState[1], 0.0, 1e-9);
    EXPECT_NEAR(m.ss.steadyState[2], 1.0, 1e-9);
    // The y2^2 term leaves one genuinely zero eigenvalue on the total
    // (SciPy: -10000.04, -3e-10): the approach is algebraic, not exponential.
    ASSERT_EQ(m.ss.ReducedCount(), 2u);
    EXPECT_NEAR(Eigenvalues(m.ss)[0], -10000.04, 1e-3);
    EXPECT_EQ(Verdict(m.ss), "Marginal (eigenvalues on the imaginary axis)");
}

TEST(ConservationSteadyState, EnzymeMatchesClosedFormWithGainsToTheTotal) {
    SsModel m(kEnzyme);
    ASSERT_TRUE(m.powerLaw);
    m.Compute();
    ASSERT_EQ(m.ss.status, 0u);
    ASSERT_EQ(m.ss.relations.size(), 1u);
    EXPECT_EQ(RelationText(m.ss.relations[0], m.model, 7), "E + ES");
    EXPECT_DOUBLE_EQ(m.ss.relations[0].total, 2.5);
    EXPECT_NEAR(m.ss.steadyState[0], 1.75, 1e-10);
    EXPECT_NEAR(m.ss.steadyState[1], 0.75 / 1.75, 1e-10);
    EXPECT_NEAR(m.ss.steadyState[2], 0.75, 1e-10);
    // SciPy: -8.26535078, -1.27036351.
    const std::vector<double> eigen = Eigenvalues(m.ss);
    EXPECT_NEAR(eigen[0], -8.26535078, 1e-6);
    EXPECT_NEAR(eigen[1], -1.27036351, 1e-6);
    EXPECT_EQ(Verdict(m.ss), "Stable steady state");
    // d ln E / d ln ET = ET / E; ES = vin/k2 does not move; S follows 1/E.
    const double* total = m.ss.sensTotal;
    EXPECT_NEAR(total[0], 2.5 / 1.75, 1e-9);
    EXPECT_NEAR(total[1], -2.5 / 1.75, 1e-9);
    EXPECT_NEAR(total[2], 0.0, 1e-9);
    // With the total held, vin acts on ES alone: d ln ES / d ln vin = 1.
    // Its term is rate column 1 (alpha(2,1)), after E's two S-system terms.
    const double* vin = m.ss.sensRate + size_t{1 + 1} * m.ss.ColumnLength();
    EXPECT_NEAR(vin[2], 1.0, 1e-9);
}

TEST(ConservationSteadyState, IgnoringConservationGivesTheFullSystemsAnswer) {
    SsModel m(kEnzyme);
    m.ss.useConservation = false;
    m.Compute();
    EXPECT_TRUE(m.ss.relations.empty());
    EXPECT_EQ(m.ss.ReducedCount(), 3u);
    // Not on E + ES = 2.5: the search lands on another member of the family.
    EXPECT_GT(std::abs(m.ss.steadyState[0] + m.ss.steadyState[2] - 2.5), 0.5);
}

TEST(ConservationSteadyState, TwoMoietiesEachKeepTheirTotal) {
    SsModel m(kMoieties);
    m.Compute();
    ASSERT_EQ(m.ss.status, 0u);
    ASSERT_EQ(m.ss.relations.size(), 2u);
    EXPECT_EQ(RelationText(m.ss.relations[0], m.model, 7), "ATP + ADP");
    EXPECT_EQ(RelationText(m.ss.relations[1], m.model, 7), "NADH + NAD");
    // SciPy: 0.95582364, 2.04417636, 0.32730862, 1.67269138; -0.65363571, -2.81784927.
    const double expected[] = {0.95582364, 2.04417636, 0.32730862, 1.67269138};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(m.ss.steadyState[i], expected[i], 1e-8);
    const std::vector<double> eigen = Eigenvalues(m.ss);
    EXPECT_NEAR(eigen[0], -2.81784927, 1e-6);
    EXPECT_NEAR(eigen[1], -0.65363571, 1e-6);
    EXPECT_EQ(m.ss.eigenvalues[2], 0.0);
    EXPECT_EQ(m.ss.eigenvalues[3], 0.0);
}

TEST(ConservationSteadyState, VolumesGiveNonIntegerCoefficients) {
    SsModel m(kVolumes);
    m.Compute();
    ASSERT_EQ(m.ss.relations.size(), 1u);
    const ConservationRelation& r = m.ss.relations[0];
    EXPECT_FALSE(r.wholeNumbers);
    EXPECT_NEAR(r.coefficient[1] / r.coefficient[0], 0.37 / 1.5, 1e-10);
    EXPECT_EQ(RelationText(r, m.model, 7), "X1 + 0.2466667 X2");
    // SciPy: 0.64207459, 1.65104895; eigenvalue -1.54594595.
    EXPECT_NEAR(m.ss.steadyState[0], 0.64207459, 1e-8);
    EXPECT_NEAR(m.ss.steadyState[1], 1.65104895, 1e-8);
    ASSERT_EQ(m.ss.ReducedCount(), 1u);
    EXPECT_NEAR(m.ss.eigenvalues[0], -1.54594595, 1e-6);
}

TEST(ConservationSteadyState, IntegrationFallbackKeepsTheTotal) {
    // The search fails from every start (components far apart); the
    // integration and its polishing keep X3 + X4 = 4, where the pair settles
    // at X3 = 0.5 X1^0.1 X4.
    SsModel m({"X1' = 250 - 0.0015 X1^1.3 - 0.02 X1^0.8 X2^0.2",
               "X2' = 0.02 X1^0.6 - 0.4 X2^0.85 - 0.02 X2^0.85 X1^0.4", "X3' = 0.5 X4 X1^0.1 - X3",
               "X4' = X3 - 0.5 X4 X1^0.1", "X1 = 0.01", "X2 = 20", "X3 = 1", "X4 = 3"});
    m.Compute();
    ASSERT_EQ(m.ss.status, 0u);
    EXPECT_EQ(m.ss.integrationHorizon, 10.0);
    ASSERT_EQ(m.ss.relations.size(), 1u);
    const double* x = m.ss.steadyState;
    EXPECT_NEAR(x[2] + x[3], 4.0, 1e-12);
    EXPECT_NEAR(x[2], 0.5 * std::pow(x[0], 0.1) * x[3], 1e-9);
    EXPECT_EQ(Verdict(m.ss), "Stable steady state");
}

TEST(ConservationSteadyState, NoFalseRelations) {
    // Rows dependent in every Jacobian, but d(X1 - X2)/dt = -2: no relation,
    // and no steady state either.
    SsModel drifting({"X1' = 1 - X1*X2", "X2' = 3 - X1*X2", "X1 = 1", "X2 = 1"});
    drifting.Compute();
    EXPECT_TRUE(drifting.ss.relations.empty());
    EXPECT_NE(drifting.ss.status & SS_NOT_FOUND, 0u);
    // Singular only at the initial state (every derivative there is 0).
    SsModel atOrigin({"X1' = X2^2 - X1", "X2' = 1 - X2 - X1^2", "X1 = 0", "X2 = 0"}, false);
    atOrigin.Compute();
    EXPECT_TRUE(atOrigin.ss.relations.empty());
    EXPECT_EQ(atOrigin.ss.status & SS_NOT_FOUND, 0u);
}

TEST(StabilityVerdict, CountsEigenvaluesRightOfTheAxis) {
    const double stable[] = {-1, -2, 0.5, -0.5};
    EXPECT_EQ(StabilityVerdict(stable, stable + 2, 2), "Stable steady state");
    const double unstable[] = {0.3, 0.3, -1, 0.2, -0.2, 0};
    EXPECT_EQ(StabilityVerdict(unstable, unstable + 3, 3),
              "Unstable steady state (2 eigenvalues with positive real part)");
    const double centre[] = {1e-12, 1e-12, -3, 2, -2, 0};
    EXPECT_EQ(StabilityVerdict(centre, centre + 3, 3),
              "Marginal (eigenvalues on the imaginary axis)");
}

TEST(ConservationReport, AddsRelationsZeroEigenvaluesVerdictAndHeldTotals) {
    SsModel m(kEnzyme);
    m.Compute();
    SsReport report;
    report.Fill(m.form, m.model, 7, 0, m.ss);
    const std::string text = report.SaveText("\n");
    EXPECT_NE(text.find("Conservation relations (the steady state keeps their totals):\n"
                        "Relation\tTotal\t\nE + ES\t2.5\t\n\t\nSteady state:\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Zero eigenvalues explained by the conservation relations:\nRe\tIm\t\n"
                        "0\t0\t\n\t\nStable steady state\n\t\n"
                        "Sensitivities for variables (totals held):\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\ntotal(1)\t1.42857\t-1.42857\t"), std::string::npos) << text;
    EXPECT_EQ(report.eigenGrid.RowCount(), 3u);
}

TEST(ConservationReport, VerdictOnlyOnRequestWithoutRelations) {
    SsModel m({"X1' = 2 - X1^2", "X2' = X1 - 0.5 * X2", "X1 = 1", "X2 = 1"});
    m.Compute();
    SsReport report;
    report.Fill(m.form, m.model, 7, 0, m.ss);
    EXPECT_EQ(report.verdict, "Stable steady state");
    EXPECT_EQ(report.SaveText("\n").find("Stable"), std::string::npos);
    EXPECT_NE(report.SaveText("\n", true).find("0\t\n\t\nStable steady state\n\t\nSensitivities"),
              std::string::npos);
}

TEST(ConservationReport, OversizedSensitivityTablesAreRefusedBeforeAllocation) {
    SsModel m(kEnzyme);
    m.ss.maxSensitivityValues = 20;
    m.Compute();
    EXPECT_EQ(m.ss.status, SS_NO_SENSITIVITIES | SS_SENSITIVITIES_TOO_LARGE);
    EXPECT_EQ(m.ss.sensIndep, nullptr);
    EXPECT_EQ(m.ss.sensitivityValues, uint64_t{8} * 17);
    SsReport report;
    report.Fill(m.form, m.model, 7, 0, m.ss);
    EXPECT_EQ(report.sensitivityLimitLine,
              "Sensitivities left out: the tables would hold 136 values, more than 20.");
    EXPECT_EQ(report.sVarsGrid.RowCount(), 1u);
    EXPECT_NE(report.verdict, "");
}

} // namespace
} // namespace kora::test

// kora-batch ss end to end: the caption line, the saved text, exit codes.
#include <gtest/gtest.h>

#include "batch_process.h"

namespace {

using kora::testing::Quoted;
using kora::testing::ReadAll;

class SteadyStateBatch : public kora::testing::BatchTest {};

TEST_F(SteadyStateBatch, PrintsCaptionAndReportOrFailsWithCodes) {
    const std::string model =
        Quoted(Write("ss_model.krm", "X1' = 2 - X1^2\r\nX2' = X1 - 0.5 * X2\r\nX1 = 1\r\n"
                                     "X2 = 1\r\nSCRIPT\r\nss\r\nEND SCRIPT\r\n"));
    const auto ok = Batch("ss " + model + " --threshold 0.5");
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(ok.out.rfind("Steady state for ss_model.krm\nSystem is a full S-system.\n\t\n"
                           "Steady state:\nVariable\tValue\tFlux\tF-value\t\nX1\t1.414214\t",
                           0),
              0u)
        << ok.out;
    EXPECT_NE(ok.out.find("Sensitivities for fluxes:"), std::string::npos);

    EXPECT_EQ(Batch("ss " + model + " --threshold 0.3").exitCode, 64);

    const auto report = dir_ / "ss.txt";
    EXPECT_EQ(Batch("ss " + model + " -o " + Quoted(report)).exitCode, 0);
    EXPECT_EQ(ReadAll(report).rfind("System is a full S-system.\r\n", 0), 0u);

    const auto broken = Write("broken.krm", "X' = 1 +\r\nX = 1\r\n");
    EXPECT_EQ(Batch("ss " + Quoted(broken)).exitCode, 1);
    const auto none = Write("none.krm", "X1' = 1 + X1*X2\r\nX2' = X1 - X2\r\nX1 = 1\r\nX2 = 1\r\n");
    const auto notFound = Batch("ss " + Quoted(none));
    EXPECT_EQ(notFound.exitCode, 2);
    EXPECT_EQ(notFound.out.find("Steady state for none.krm\nSystem is a binary GMA.\n"), 0u);
    EXPECT_NE(notFound.err.find("NO FINITE STEADY STATE WAS FOUND.\n"), std::string::npos);
}

} // namespace

namespace {

using kora::testing::Quoted;
using kora::testing::ReadAll;

class ConservationBatch : public kora::testing::BatchTest {};

TEST_F(ConservationBatch, SetNoConservationAndTheVerdict) {
    const std::string model = Quoted(Write(
        "enzyme.krm", "E' = -k1*E*S + km1*ES + k2*ES\nS' = vin - k1*E*S + km1*ES\n"
                      "ES' = k1*E*S - km1*ES - k2*ES\nE = 2\nS = 1\nES = 0.5\nk1 = 3\nkm1 = 1\n"
                      "k2 = 2\nvin = 1.5\n"));
    const auto kept = Batch("ss " + model);
    EXPECT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_NE(kept.out.find("Relation\tTotal\t\nE + ES\t2.5\t\n"), std::string::npos) << kept.out;
    EXPECT_NE(kept.out.find("\nES\t0.75\t"), std::string::npos) << kept.out;
    EXPECT_NE(kept.out.find("\nStable steady state\n"), std::string::npos);

    // ES = vin / k2 on the same total.
    const auto varied = Batch("ss " + model + " --set vin=1");
    EXPECT_EQ(varied.exitCode, 0) << varied.err;
    EXPECT_NE(varied.out.find("\nES\t0.5\t"), std::string::npos) << varied.out;
    EXPECT_EQ(varied.err, "");
    EXPECT_NE(Batch("ss " + model + " --set nope=1").err.find("nope"), std::string::npos);

    const auto full = Batch("ss " + model + " --no-conservation");
    EXPECT_EQ(full.out.find("Relation\tTotal"), std::string::npos) << full.out;
    EXPECT_NE(full.out.find("\nMarginal (eigenvalues on the imaginary axis)\n"), std::string::npos)
        << full.out;
    const auto setting = Write("ignore.ini", "[General]\nIgnoreConservation=1\n");
    EXPECT_EQ(Batch("ss " + model + " --settings " + Quoted(setting)).out, full.out);
}

TEST_F(ConservationBatch, SavedReportWithoutRelationsKeepsItsLayout) {
    const std::string model = Quoted(Write("plain.krm", "X1' = 2 - X1^2\nX2' = X1 - 0.5 * X2\n"
                                                        "X1 = 1\nX2 = 1\n"));
    const auto printed = Batch("ss " + model);
    EXPECT_NE(printed.out.find("\t\nStable steady state\n\t\nSensitivities for variables:\n"),
              std::string::npos)
        << printed.out;
    const auto report = dir_ / "plain.txt";
    ASSERT_EQ(Batch("ss " + model + " -o " + Quoted(report)).exitCode, 0);
    const std::string saved = ReadAll(report);
    EXPECT_EQ(saved.find("Stable"), std::string::npos);
    EXPECT_NE(saved.find("-2.828427\t0\t\r\n\t\r\nSensitivities for variables:\r\n"),
              std::string::npos)
        << saved;
}

} // namespace

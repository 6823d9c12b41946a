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

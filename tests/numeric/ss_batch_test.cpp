// kora-batch ss end to end: the caption line, the saved text, exit codes.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
};

Outcome RunBatch(const std::string& arguments) {
    const std::string command = std::string(KORA_BATCH_EXE) + " " + arguments + " 2>/dev/null";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    std::array<char, 4096> buffer;
    size_t read = 0;
    while ((read = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        outcome.out.append(buffer.data(), read);
    const int status = pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

std::string WriteModel(const std::string& name, const std::string& text) {
    const auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

TEST(SteadyStateBatch, PrintsCaptionAndReportOrFailsWithCodes) {
    const std::string model = WriteModel(
        "ss_batch_model.krm", "X1' = 2 - X1^2\r\nX2' = X1 - 0.5 * X2\r\nX1 = 1\r\nX2 = 1\r\n"
                              "SCRIPT\r\nss\r\nEND SCRIPT\r\n");
    const Outcome ok = RunBatch("ss " + model + " --threshold 0.5");
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(ok.out.rfind("Steady state for ss_batch_model.krm\nSystem is a full S-system.\n\t\n"
                           "Steady state:\nVariable\tValue\tFlux\tF-value\t\nX1\t1.414214\t",
                           0),
              0u)
        << ok.out;
    EXPECT_NE(ok.out.find("Sensitivities for fluxes:"), std::string::npos);

    EXPECT_EQ(RunBatch("ss " + model + " --threshold 0.3").exitCode, 64);

    const std::string report = (std::filesystem::temp_directory_path() / "ss_batch.txt").string();
    EXPECT_EQ(RunBatch("ss " + model + " -o " + report).exitCode, 0);
    std::ifstream saved(report, std::ios::binary);
    std::string first;
    std::getline(saved, first);
    EXPECT_EQ(first, "System is a full S-system.\r");

    const std::string broken = WriteModel("ss_batch_broken.krm", "X' = 1 +\r\nX = 1\r\n");
    EXPECT_EQ(RunBatch("ss " + broken).exitCode, 1);
    const std::string none =
        WriteModel("ss_batch_none.krm", "X1' = 1 + X1*X2\r\nX2' = X1 - X2\r\nX1 = 1\r\nX2 = 1\r\n");
    const Outcome notFound = RunBatch("ss " + none);
    EXPECT_EQ(notFound.exitCode, 2);
    EXPECT_EQ(notFound.out.find("Steady state for ss_batch_none.krm\nSystem is a binary GMA.\n"),
              0u);
}

} // namespace

// kora-batch check, run as a separate process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

Outcome Check(const std::string& modelPath) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto out = dir / ("kora_check_out_" + std::to_string(::getpid()));
    const auto err = dir / ("kora_check_err_" + std::to_string(::getpid()));
    const std::string command = std::string("'") + KORA_BATCH_EXE + "' check '" + modelPath +
                                "' >'" + out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    Outcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = Slurp(out);
    outcome.err = Slurp(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return outcome;
}

std::string WriteModel(const std::string& name, const std::string& text) {
    const auto path =
        std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()) + ".krm");
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

TEST(CheckCommand, AValidModelWithAScriptBlockParses) {
    Outcome outcome = Check(std::string(KORA_TEST_DATA_DIR) + "/model_with_script.krm");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "Parsing successful.\n");
    EXPECT_EQ(outcome.err, "");
}

TEST(CheckCommand, ErrorsNameTheFileAndPlaceWithTheModelsMessage) {
    const std::string data = std::string(KORA_TEST_DATA_DIR) + "/model_function_error.krm";
    Outcome function = Check(data);
    EXPECT_EQ(function.exitCode, 1);
    EXPECT_EQ(function.out, "");
    EXPECT_EQ(function.err, data + ":2:1: error: Function error:X' = ln[X]\nln\n");

    const std::string missing = WriteModel("kora_missing", "X' = -X\nY' = X\n");
    Outcome initial = Check(missing);
    EXPECT_EQ(initial.exitCode, 1);
    EXPECT_EQ(initial.err, missing + ": error: Initial values not defined: X Y \n");

    const std::string unknown = WriteModel("kora_unknown", "k = 2\n\n   X' = -kl*X\nX = 1\n");
    EXPECT_EQ(Check(unknown).err,
              unknown + ":3:10: error: Unexpected expression: X' = -kl*X (unknown name 'kl')\n");
    std::filesystem::remove(unknown);
    std::filesystem::remove(missing);
}

TEST(CheckCommand, AScriptErrorIsReportedWithItsTitleAndLine) {
    const std::string path = WriteModel(
        "kora_badscript", "X' = -X\nX = 1\nSCRIPT\nSETTING k = 1 : 3\nRUN\nEND SCRIPT\n");
    Outcome outcome = Check(path);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "ERROR: a matching NEXT was not found\nSETTING k = 1 : 3\n");
    std::filesystem::remove(path);
}

TEST(CheckCommand, AnUnreadableFileExitsWithNoInput) {
    Outcome outcome = Check("/nonexistent/dir/model.krm");
    EXPECT_EQ(outcome.exitCode, 66);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("/nonexistent/dir/model.krm"), std::string::npos);
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1);
}

} // namespace

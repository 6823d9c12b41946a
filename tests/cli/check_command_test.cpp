// kora-batch check, run as a separate process.
#include <gtest/gtest.h>

#include "batch_process.h"

namespace {

using kora::testing::Quoted;

class CheckCommand : public kora::testing::BatchTest {
protected:
    kora::testing::BatchOutcome Check(const std::string& path) {
        return Batch("check " + Quoted(path));
    }
};

TEST_F(CheckCommand, AValidModelWithAScriptBlockParses) {
    const auto outcome = Check(std::string(KORA_TEST_DATA_DIR) + "/model_with_script.krm");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "Parsing successful.\n");
    EXPECT_EQ(outcome.err, "");
}

TEST_F(CheckCommand, ErrorsNameTheFileAndPlaceWithTheModelsMessage) {
    const std::string data = std::string(KORA_TEST_DATA_DIR) + "/model_function_error.krm";
    const std::string missing = Write("missing.krm", "X' = -X\nY' = X\n").string();
    const std::string unknown = Write("unknown.krm", "k = 2\n\n   X' = -kl*X\nX = 1\n").string();
    const std::string script =
        Write("script.krm", "X' = -X\nX = 1\nSCRIPT\nSETTING k = 1 : 3\nRUN\nEND SCRIPT\n")
            .string();
    const struct {
        std::string path;
        int exitCode;
        std::string err;
    } cases[] = {
        {data, 1, data + ":2:1: error: Function error:X' = ln[X]\nln\n"},
        {missing, 1, missing + ": error: Initial values not defined: X Y \n"},
        {unknown, 1,
         unknown + ":3:10: error: Unexpected expression: X' = -kl*X (unknown name 'kl')\n"},
        {script, 1, "ERROR: a matching NEXT was not found\nSETTING k = 1 : 3\n"},
        {"/nonexistent/dir/m.krm", 66,
         "kora-batch: cannot read model file '/nonexistent/dir/m.krm': no such file\n"},
    };
    for (const auto& c : cases) {
        const auto outcome = Check(c.path);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.path;
        EXPECT_EQ(outcome.out, "") << c.path;
        EXPECT_EQ(outcome.err, c.err);
    }
}

} // namespace

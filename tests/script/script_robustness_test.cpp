// Random and mutated scripts: preparation must neither crash nor hang, must
// keep its outputs bounded and consistent, and must report each failure once.
#include <gtest/gtest.h>

#include <random>

#include "recording_host.h"
#include "script/script_prepare.h"
#include "script/setting_declaration.h"

namespace kora {
namespace {

using Lines = std::vector<std::string>;

// clang-format off
const Lines kSeedLines = {
    "SCRIPT", "SETTING k = 0 : 2 : 0.5", "SETTING j = 1, 2:4, 9", "NEXT", "NEXT", "run",
    "solve k=2, j = 3", "-> k=1", "->", "RESTORE", "r", "SET a=1,b=2", "OPEN other.krm",
    "ACTIVATE", "ACTIVATE b.krm", "WRITE \"k = \", k; x@LAST", "w", "RESET_TIMER", "MERGE r.res",
    "SAVE RES TO out", "CLEAR RESULTS", "CLOSE b.krm", "SUPERIMPOSE SOLUTIONS ON",
    "superimpose off", "STEADY STATE", "ss", "// comment", "", "SETTING x=-1e-2:1e-2:5e-3",
};
// clang-format on

// Lines from the table, sometimes mutated, sometimes random bytes.
class ScriptFuzzer {
public:
    explicit ScriptFuzzer(uint32_t seed) : random_(seed) {}

    Lines NextScript() {
        Lines lines(Uniform(0, 40));
        for (std::string& line : lines) {
            line = kSeedLines[Uniform(0, kSeedLines.size() - 1)];
            if (Uniform(0, 9) == 0) line.clear();
            for (size_t edits = Uniform(0, 1) * Uniform(1, 12); edits > 0; --edits) {
                const size_t at = Uniform(0, line.size());
                if (Uniform(0, 2) > 0 || at == line.size()) {
                    line.insert(at, 1, RandomChar());
                } else {
                    line.erase(at, 1);
                }
            }
        }
        return lines;
    }

private:
    size_t Uniform(size_t low, size_t high) {
        return std::uniform_int_distribution<size_t>(low, high)(random_);
    }

    char RandomChar() {
        static constexpr std::string_view kInteresting = "=:,.-+eE0123456789 \t/\\\"@;";
        if (Uniform(0, 1) == 0) return kInteresting[Uniform(0, kInteresting.size() - 1)];
        return static_cast<char>(Uniform(0, 255));
    }

    std::mt19937 random_;
};

void ExpectConsistent(const Lines& script, const PreparedScript& prepared, bool ok,
                      const testing::RecordingHost& host) {
    if (!ok) {
        EXPECT_EQ(host.boxes.size(), 1u);
        EXPECT_TRUE(prepared.commands.empty());
        return;
    }
    EXPECT_TRUE(host.boxes.empty());
    ASSERT_LE(prepared.commands.size(), script.size());
    for (size_t i = 0; i < prepared.commands.size(); ++i) {
        const ScriptCommandStatus& command = prepared.commands[i];
        ASSERT_LT(static_cast<size_t>(command.sourceLine), script.size());
        if (command.code == kCmdSetting || command.code == kCmdNext) {
            const size_t partner = static_cast<size_t>(command.ref);
            ASSERT_LT(partner, prepared.commands.size());
            EXPECT_EQ(static_cast<size_t>(prepared.commands[partner].ref), i);
            EXPECT_EQ(command.code == kCmdSetting, partner > i);
        }
        if (command.code == kCmdSetting) {
            EXPECT_LE(command.arguments.size(), kMaxSettingValues);
        }
    }
}

TEST(ScriptRobustness, RandomAndMutatedScripts) {
    ScriptFuzzer fuzzer(20261206);
    testing::RecordingHost host;
    PreparedScript prepared;
    size_t accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        const Lines script = fuzzer.NextScript();
        host.boxes.clear();
        const bool ok =
            Prepare(script, ScriptDocumentInfo{round % 2 ? "C:\\m\\a.krm" : ""}, prepared, host);
        accepted += ok;
        ExpectConsistent(script, prepared, ok, host);
        if (::testing::Test::HasFailure()) FAIL() << "round " << round;
    }
    // Both outcomes must be exercised for the test to mean anything.
    EXPECT_GT(accepted, 100u);
    EXPECT_LT(accepted, 3900u);
}

} // namespace
} // namespace kora

#include "script/script_command.h"

#include <gtest/gtest.h>

namespace kora {
namespace {

struct Expected {
    const char* line;
    size_t row;
    std::vector<std::string> arguments;
};

TEST(ScriptCommandTable, EveryLineFindsTheFirstRowThatFits) {
    const std::vector<Expected> cases = {
        {"SCRIPT", 0, {}},
        {"solve", 4, {}},
        {"Solve", 4, {}},
        {"SOLVE", 4, {}},
        {"solve k=2", 9, {"k=2"}},
        {"->", 5, {}},
        {"->k=2", 11, {"k=2"}},
        {"-> k=2", 11, {" k=2"}},
        {"run a=1, b = 2,", 10, {"a=1", " b = 2", ""}},
        {"r", 7, {}},
        {"Write \"x\", X1@LAST", 17, {"\"x\", X1@LAST"}},
        {"w", 16, {}},
        {"W k", 18, {"k"}},
        {"Superimpose Solutions ON", 26, {"ON"}},
        {"superimpose off", 27, {"off"}},
        {"save results to Out.res", 22, {"Out.res"}},
        {"Save Res To out", 21, {"out"}},
        {"steady state", 28, {}},
        {"ss", 29, {}},
        {"activate", 13, {}},
        {"activate B.krm", 14, {"B.krm"}},
        {"SETTING k=1:3", 1, {"k=1:3"}},
        {"reset_timer", 19, {}},
    };
    for (const Expected& expected : cases) {
        SCOPED_TRACE(expected.line);
        const size_t row = FindCommandRow(expected.line);
        ASSERT_EQ(row, expected.row);
        const MatchResult match = Match(row, expected.line);
        EXPECT_EQ(match.code, kScriptCommandTable[row].code);
        EXPECT_EQ(SplitArguments(expected.line, match), expected.arguments);
    }
}

TEST(ScriptCommandTable, LinesThatFitNoRow) {
    // The blank is part of the keyword, so a bare keyword that needs
    // arguments, and a keyword glued to its argument, match nothing.
    for (const char* line : {"SETTING", "SET", "OPEN", "runx", "SOLVEk=2", "SSS", "ss // steady",
                             "STEADY  STATE", "END SCRIPT", ""}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(FindCommandRow(line), kScriptCommandTable.size());
    }
}

} // namespace
} // namespace kora

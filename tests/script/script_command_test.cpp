#include "script/script_command.h"

#include <gtest/gtest.h>

namespace kora {
namespace {

TEST(ScriptCommandTable, EveryLineFindsTheFirstRowThatFits) {
    struct Case {
        const char* line;
        size_t row;
        std::vector<std::string> arguments;
    };
    const std::vector<Case> cases = {
        {"Solve", 4, {}},
        {"solve k=2", 9, {"k=2"}},
        {"->", 5, {}},
        {"->k=2", 11, {"k=2"}},
        {"-> k=2", 11, {" k=2"}},
        {"run a=1, b = 2,", 10, {"a=1", " b = 2", ""}},
        {"Write \"x\", X1@LAST", 17, {"\"x\", X1@LAST"}},
        {"w", 16, {}},
        {"Superimpose Solutions ON", 26, {"ON"}},
        {"superimpose off", 27, {"off"}},
        {"Save Res To out", 21, {"out"}},
        {"activate B.krm", 14, {"B.krm"}},
        {"SETTING k=1:3", 1, {"k=1:3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const size_t row = FindCommandRow(c.line);
        ASSERT_EQ(row, c.row);
        const MatchResult match = Match(row, c.line);
        EXPECT_EQ(match.code, kScriptCommandTable[row].code);
        EXPECT_EQ(SplitArguments(c.line, match), c.arguments);
    }
    // The blank is part of the keyword, so a bare keyword that needs
    // arguments, or one glued to its argument, matches nothing.
    for (const char* line : {"SETTING", "SET", "runx", "SOLVEk=2", "ss // steady", "END SCRIPT"}) {
        EXPECT_EQ(FindCommandRow(line), kScriptCommandTable.size()) << line;
    }
}

} // namespace
} // namespace kora

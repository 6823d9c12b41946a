#include "script/script_command.h"

#include <gtest/gtest.h>

namespace kora {
namespace {

TEST(ScriptCommandTable, LinesFindTheirCommandAndArguments) {
    struct Case {
        const char* line;
        int code;
        std::vector<std::string> arguments;
    };
    const std::vector<Case> cases = {
        {"Solve", kCmdSolve, {}},
        {"solve k=2", kCmdSetAndSolve, {"k=2"}},
        {"->", kCmdSolve, {}},
        {"->k=2", kCmdSetAndSolve, {"k=2"}},
        {"-> k=2", kCmdSetAndSolve, {" k=2"}},
        {"run a=1, b = 2,", kCmdSetAndSolve, {"a=1", " b = 2", ""}},
        {"Write \"x\", X1@LAST", kCmdWrite, {"\"x\", X1@LAST"}},
        {"w", kCmdWrite, {}},
        {"Superimpose Solutions ON", kCmdSuperimpose, {"ON"}},
        {"superimpose off", kCmdSuperimpose, {"off"}},
        {"Save Res To out", kCmdSaveResults, {"out"}},
        {"activate B.krm", kCmdActivateOther, {"B.krm"}},
        {"SETTING k=1:3", kCmdSetting, {"k=1:3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const size_t row = FindCommandRow(c.line);
        ASSERT_LT(row, kScriptCommandTable.size());
        const MatchResult match = Match(row, c.line);
        EXPECT_EQ(match.code, c.code);
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

#include "script/script_prepare.h"

#include <gtest/gtest.h>

#include "recording_host.h"
#include "script/script_messages.h"

namespace kora {
namespace {

using Lines = std::vector<std::string>;

class ScriptPrepare : public ::testing::Test {
protected:
    bool Run(const Lines& lines, const std::string& fileName = "") {
        host.boxes.clear();
        return Prepare(lines, ScriptDocumentInfo{fileName}, prepared, host);
    }

    // Exactly one box was shown, with this text and title.
    void ExpectOneBox(const std::string& text, std::string_view title) {
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, text);
        EXPECT_EQ(host.boxes[0].title, title);
        EXPECT_TRUE(prepared.commands.empty());
    }

    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (const auto& command : prepared.commands)
            codes.push_back(command.code);
        return codes;
    }

    testing::RecordingHost host;
    PreparedScript prepared;
};

TEST_F(ScriptPrepare, CommandsKeepTheirSourceLinesAndFlagsStartFresh) {
    prepared.continuation = true;
    prepared.superimpose = false;
    ASSERT_TRUE(Run({"SCRIPT", "", "  // a comment", "  set k=1,  j=2 ", "run", "write k;"}));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Codes(), (std::vector<int>{kCmdScriptStart, kCmdSet, kCmdSolve, kCmdWrite}));
    EXPECT_EQ(prepared.commands[1].sourceLine, 3);
    EXPECT_EQ(prepared.commands[1].arguments, (Lines{"k=1", "  j=2"}));
    EXPECT_TRUE(prepared.scriptWrites);
    EXPECT_FALSE(prepared.continuation);
    EXPECT_TRUE(prepared.superimpose);
    ASSERT_TRUE(Run({"run"}));
    EXPECT_FALSE(prepared.scriptWrites);
}

TEST_F(ScriptPrepare, LoopsPairAsTheyNest) {
    ASSERT_TRUE(Run({"SCRIPT", "SETTING a=1:2", "SETTING b=1,2,3", "run", "NEXT", "SETTING c=5",
                     "NEXT", "NEXT"}));
    std::vector<int> refs;
    for (const auto& command : prepared.commands)
        refs.push_back(command.ref);
    EXPECT_EQ(refs, (std::vector<int>{0, 7, 4, 0, 2, 6, 5, 1}));
    EXPECT_EQ(prepared.commands[2].arguments, (Lines{"b=1", "b=2", "b=3"}));

    // Without a SCRIPT line the SETTING is command 0, so its NEXT refers to 0.
    ASSERT_TRUE(Run({"SETTING k=1:2", "run", "NEXT"}));
    EXPECT_EQ(prepared.commands[0].ref, 2);
    EXPECT_EQ(prepared.commands[2].ref, 0);
}

TEST_F(ScriptPrepare, ReportsTheFirstErrorOnce) {
    EXPECT_FALSE(Run({"SCRIPT", "run", "SETTING", "bogus"}));
    ExpectOneBox("SETTING", kTitleInvalidScriptCommand);

    EXPECT_FALSE(Run({"SCRIPT", "  ss // again  "}));
    ExpectOneBox("ss // again", kTitleInvalidScriptCommand);

    // Two SETTINGs and one NEXT: the inner pair matches, the outer is reported.
    EXPECT_FALSE(Run({"SCRIPT", " SETTING a=1 ", "SETTING b=2", "run", "NEXT"}));
    ExpectOneBox("SETTING a=1", kTitleNextNotFound);

    EXPECT_FALSE(Run({"SCRIPT", "run", "NEXT", "SETTING a=1"}));
    ExpectOneBox(std::string(kTextTooManyNext), kTitleScriptError);

    // Loop errors come before declaration errors, whatever the order of lines.
    EXPECT_FALSE(Run({"SCRIPT", "SETTING k = a", "NEXT", "NEXT"}));
    ExpectOneBox(std::string(kTextTooManyNext), kTitleScriptError);

    EXPECT_FALSE(Run({"SCRIPT", "SETTING k = 1", "NEXT", "SETTING k = a", "NEXT"}));
    ExpectOneBox("SETTING k = a", kTitleInvalidSetting);
}

TEST_F(ScriptPrepare, FileNamesAreResolvedAgainstTheDocument) {
    ASSERT_TRUE(Run({"SCRIPT", "OPEN other.krm", "activate o.krm", "MERGE x.res", "save res to out",
                     "CLOSE D:\\y\\c.krm", "write \"a.krm\""},
                    "C:\\m\\a.krm"));
    std::vector<Lines> arguments;
    for (const auto& command : prepared.commands)
        arguments.push_back(command.arguments);
    EXPECT_EQ(arguments, (std::vector<Lines>{{},
                                             {"C:\\m\\other.krm"},
                                             {"C:\\m\\o.krm"},
                                             {"C:\\m\\x.res"},
                                             {"C:\\m\\out"},
                                             {"D:\\y\\c.krm"},
                                             {"\"a.krm\""}}));
}

} // namespace
} // namespace kora

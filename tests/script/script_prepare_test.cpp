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

TEST_F(ScriptPrepare, CommandsKeepTheirSourceLinesAndSkipComments) {
    ASSERT_TRUE(Run({"SCRIPT", "", "  // a comment", "  set k=1,  j=2 ", "run", "ss"}));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Codes(), (std::vector<int>{kCmdScriptStart, kCmdSet, kCmdSolve, kCmdSteadyState}));
    EXPECT_EQ(prepared.commands[1].sourceLine, 3);
    EXPECT_EQ(prepared.commands[1].arguments, (Lines{"k=1", "  j=2"}));
    EXPECT_EQ(prepared.commands[3].sourceLine, 5);
    EXPECT_FALSE(prepared.scriptWrites);
}

TEST_F(ScriptPrepare, FlagsStartFreshOnEveryPreparation) {
    prepared.continuation = true;
    prepared.superimpose = false;
    ASSERT_TRUE(Run({"SCRIPT", "write k;"}));
    EXPECT_TRUE(prepared.scriptWrites);
    EXPECT_FALSE(prepared.continuation);
    EXPECT_TRUE(prepared.superimpose);
    ASSERT_TRUE(Run({"run"}));
    EXPECT_FALSE(prepared.scriptWrites);
}

TEST_F(ScriptPrepare, LoopsPairAsTheyNest) {
    ASSERT_TRUE(Run({"SCRIPT", "SETTING a=1:2", "SETTING b=1,2,3", "run", "NEXT", "SETTING c=5",
                     "NEXT", "NEXT"}));
    const auto& c = prepared.commands;
    EXPECT_EQ(c[1].ref, 7);
    EXPECT_EQ(c[7].ref, 1);
    EXPECT_EQ(c[2].ref, 4);
    EXPECT_EQ(c[4].ref, 2);
    EXPECT_EQ(c[5].ref, 6);
    EXPECT_EQ(c[6].ref, 5);
    EXPECT_EQ(c[3].ref, 0);
    EXPECT_EQ(c[2].arguments, (Lines{"b=1", "b=2", "b=3"}));
    EXPECT_EQ(c[2].currarg, 0);
}

TEST_F(ScriptPrepare, LoopAtTheVeryFirstCommand) {
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
    ASSERT_TRUE(Run({"SCRIPT", "OPEN other.krm", "activate other.krm", "MERGE x.res",
                     "save res to out", "CLOSE D:\\y\\other.krm", "write \"a.krm\""},
                    "C:\\m\\a.krm"));
    const auto& c = prepared.commands;
    EXPECT_EQ(c[1].arguments, Lines{"C:\\m\\other.krm"});
    EXPECT_EQ(c[2].arguments, Lines{"C:\\m\\other.krm"});
    EXPECT_EQ(c[3].arguments, Lines{"C:\\m\\x.res"});
    EXPECT_EQ(c[4].arguments, Lines{"C:\\m\\out"});
    EXPECT_EQ(c[5].arguments, Lines{"D:\\y\\other.krm"});
    EXPECT_EQ(c[6].arguments, Lines{"\"a.krm\""}); // not a file name

    ASSERT_TRUE(Run({"SCRIPT", "OPEN other.krm"}));
    EXPECT_EQ(prepared.commands[1].arguments, Lines{"other.krm"});
}

} // namespace
} // namespace kora

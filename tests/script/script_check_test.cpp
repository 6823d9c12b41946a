#include "script/script_check.h"

#include <gtest/gtest.h>

#include "recording_host.h"
#include "script/script_messages.h"

namespace kora {
namespace {

TEST(ScriptCheck, ChecksTheScriptBlocksOfAModelText) {
    testing::RecordingHost host;
    // No block at all: the text runs as "run", which is valid.
    EXPECT_TRUE(CheckScript(SplitTextLines("X' = -X\r\nX = 1\r\n"), {}, host));
    EXPECT_TRUE(host.boxes.empty());

    const char* bad =
        "X' = -X\nX = 1\nSCRIPT\n  // fine\nSETTING k = 1 : x\nrun\nNEXT\nEND SCRIPT\n";
    EXPECT_FALSE(CheckScript(SplitTextLines(bad), {"/m/a.krm"}, host));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "SETTING k = 1 : x");
    EXPECT_EQ(host.boxes[0].title, kTitleInvalidSetting);
}

} // namespace
} // namespace kora

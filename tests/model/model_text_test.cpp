#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "model/model_text.h"

namespace kora {
namespace {

TEST(ModelText, SplitsOnCrLfLfAndCr) {
    EXPECT_EQ(SplitTextLines("a\r\nb\nc"), (TextLines{"a", "b", "c"}));
    EXPECT_EQ(SplitTextLines("a\r\n\r\nb\r\n"), (TextLines{"a", "", "b"}));
    EXPECT_TRUE(SplitTextLines("").empty());
    // A CR alone ends a line too: it never vanishes and joins two tokens.
    EXPECT_EQ(SplitTextLines("X' = -X\rX = 1\r"), (TextLines{"X' = -X", "X = 1"}));
    EXPECT_EQ(SplitTextLines("!! X\rtf = 5\n\r\n"), (TextLines{"!! X", "tf = 5", ""}));
}

TEST(ModelText, ReadingReportsFailureAsACode) {
    TextLines lines{"untouched"};
    EXPECT_EQ(ReadTextLines("/nonexistent/model.krm", lines), TextReadStatus::CannotOpen);
    EXPECT_EQ(ReadTextLines(std::filesystem::temp_directory_path().string(), lines),
              TextReadStatus::CannotOpen);
    EXPECT_EQ(lines, TextLines{"untouched"});
    const auto path = std::filesystem::temp_directory_path() / "kora_model_text_test.krm";
    std::ofstream(path, std::ios::binary) << "X' = 1\r\nX = 2\r\n";
    ASSERT_EQ(ReadTextLines(path.string(), lines), TextReadStatus::Ok);
    EXPECT_EQ(lines, (TextLines{"X' = 1", "X = 2"}));
    std::filesystem::remove(path);
}

TEST(ModelText, ScriptBlocksAreCutOutAndJoined) {
    const TextLines text{"  NAME m ", "",       "// comment",   "X' = 1",
                         "script",    "run",    "  // skipped", "End Script",
                         "X = 1",     "SCRIPT", "ss",           "ENDSCRIPT"};
    ExtractedLines split = ExtractModelLines(text, true);
    EXPECT_EQ(split.modelLines,
              (TextLines{"NAME m", "X' = 1", "End Script", "X = 1", "ENDSCRIPT"}));
    EXPECT_EQ(split.scriptLines, (TextLines{"script", "run", "SCRIPT", "ss"}));

    ExtractedLines whole = ExtractModelLines(text, false);
    EXPECT_EQ(whole.modelLines.size(), 9u);
    EXPECT_TRUE(whole.scriptLines.empty());
}

} // namespace
} // namespace kora

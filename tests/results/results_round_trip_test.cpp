// Inputs the fuzzer found: each reads, and what is written from it reads back
// into a set that writes the same text again.
#include <gtest/gtest.h>

#include <filesystem>

#include "results/results_file.h"
#include "results/results_set.h"
#include "temp_files.h"

namespace kora {
namespace {

TEST(ResultsRoundTrip, FoundInputsWriteWhatTheyRead) {
    const std::filesystem::path folder = std::filesystem::path(KORA_TEST_DATA_DIR) / "fuzz/results";
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string text = kora::testing::ReadAll(entry.path());
        for (const char separator : {'.', ','}) {
            ResultsSet first;
            if (!ParseResultsText(first, text, separator)) continue;
            const std::string written = FormatResultsText(first, separator);
            ResultsSet second;
            ASSERT_TRUE(ParseResultsText(second, written, separator)) << entry.path();
            EXPECT_EQ(FormatResultsText(second, separator), written) << entry.path();
            ++checked;
        }
    }
    EXPECT_GE(checked, 2);
}

TEST(ResultsRoundTrip, ABarInAColumnNameKeepsTheLineStyle) {
    const std::string text = "[Data][run]\r\nt\ta|b\r\n0\t1\r\n1\t2\r\n";
    ResultsSet first;
    ASSERT_TRUE(ParseResultsText(first, text));
    first.timeCourses[0].lineStyles[1].colour = 255;
    first.timeCourses[0].lineStyles[1].style = 3;
    ResultsSet second;
    ASSERT_TRUE(ParseResultsText(second, FormatResultsText(first)));
    EXPECT_EQ(second.timeCourses[0].lineStyles[1].colour, 255u);
    EXPECT_EQ(second.timeCourses[0].lineStyles[1].style, 3);
}

} // namespace
} // namespace kora

#include "script/setting_declaration.h"

#include <gtest/gtest.h>

namespace kora {
namespace {

using Lines = std::vector<std::string>;

Lines Expand(const Lines& declarations) {
    Lines assignments;
    EXPECT_TRUE(ExpandSettingDeclarations(declarations, assignments));
    return assignments;
}

bool Refused(const Lines& declarations) {
    Lines assignments;
    return !ExpandSettingDeclarations(declarations, assignments);
}

TEST(SettingDeclaration, ListsAndRanges) {
    EXPECT_EQ(Expand({"k = 0 : 2 : 0.5"}), (Lines{"k=0", "k=0.5", "k=1", "k=1.5", "k=2"}));
    EXPECT_EQ(Expand({"k = 3"}), (Lines{"k=3"}));
    EXPECT_EQ(Expand({"k = 1:3", " 10"}), (Lines{"k=1", "k=2", "k=3", "k=10"}));
    // A later declaration with its own name switches the name for those after it.
    EXPECT_EQ(Expand({"a=1", "b=2", "3"}), (Lines{"a=1", "b=2", "b=3"}));
    EXPECT_EQ(Expand({"X1=-1e-3:+2.5E-3:.001"}),
              (Lines{"X1=-0.001", "X1=0", "X1=0.001", "X1=0.002"}));
    // A zero step counts as 1; an end below the start gives no values at all.
    EXPECT_EQ(Expand({"k=1:3:0"}), (Lines{"k=1", "k=2", "k=3"}));
    EXPECT_EQ(Expand({"k = 2 : 1"}), Lines{});
    EXPECT_EQ(Expand({"k = 2 : 1 : -1"}), Lines{});
}

TEST(SettingDeclaration, EndValueSurvivesRounding) {
    // 0.1 + 0.1 + 0.1 exceeds 0.3 in binary; the end must still be reached.
    EXPECT_EQ(Expand({"k = 0.1 : 0.3 : 0.1"}), (Lines{"k=0.1", "k=0.2", "k=0.3"}));
    const Lines tenths = Expand({"k = 0 : 1 : 0.1"});
    ASSERT_EQ(tenths.size(), 11u);
    EXPECT_EQ(tenths[7], "k=0.7");
    EXPECT_EQ(tenths.back(), "k=1");
    // Short of the end by more than the tolerance: the end is not invented.
    EXPECT_EQ(Expand({"k = 0 : 0.99 : 0.5"}), (Lines{"k=0", "k=0.5"}));
}

TEST(SettingDeclaration, RefusesWhatCannotBeRead) {
    for (const Lines& declarations : std::vector<Lines>{
             {"k = a"},            // no number
             {"k ="},              // nothing after "="
             {"k = 1 :"},          // ":" without an end
             {"k = 1 : 2 :"},      // ":" without a step
             {"k = 1", ""},        // trailing comma
             {"1:3"},              // first declaration without "="
             {" = 1"},             // empty name
             {"k = 1e999"},        // not a finite number
             {"k = 1 : 3 : -1"},   // counts down forever
             {"k = 0 : 1 : 1e-7"}, // ten million values
             {"k = -1e308 : 1e308"},
         }) {
        SCOPED_TRACE(declarations.front());
        EXPECT_TRUE(Refused(declarations));
    }
}

TEST(SettingDeclaration, ValueCountLimitIsInclusive) {
    Lines assignments;
    EXPECT_TRUE(ExpandSettingDeclarations({"k=1:1000000"}, assignments));
    EXPECT_EQ(assignments.size(), kMaxSettingValues);
    EXPECT_EQ(assignments.back(), "k=1000000");
    // The limit holds for the whole command, not for each declaration.
    EXPECT_FALSE(ExpandSettingDeclarations({"k=1:1000000", "0"}, assignments));
}

TEST(SettingDeclaration, NumbersAreTheLongestDecimalLiteral) {
    // Trailing text after a number is not part of it; an "e" without digits,
    // words such as "inf" and hex prefixes are not numbers.
    EXPECT_EQ(Expand({"k = 12.5e1x", "1e", "5.:6.", "0x10"}),
              (Lines{"k=125", "k=1", "k=5", "k=6", "k=0"}));
    for (const char* text : {".", "-", "e5", "inf", "nan"}) {
        EXPECT_TRUE(Refused({std::string("k=") + text})) << text;
    }
    EXPECT_EQ(FormatSettingValue(2.5e-7), "2.5e-07");
    EXPECT_EQ(FormatSettingValue(1.0 / 3.0), "0.333333333333333");
}

} // namespace
} // namespace kora

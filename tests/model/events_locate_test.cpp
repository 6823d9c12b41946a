#include "model_fixture.h"

namespace kora::test {
namespace {

TEST(ApplyEvent, EventsAtOneTimeApplyTogether) {
    BuiltModel built(
        {"tf = 10", "X' = k", "X = 1", "k = 1", "@ 4 X = 5", "@ 4 k = 3", "@ 6 k = 9"});
    ASSERT_EQ(built.Code(), 0);
    EXPECT_TRUE(built.model.ApplyEvent(built.lines, false));
    EXPECT_EQ(built.model.eventIndex, 2u);
    EXPECT_EQ(built.model.tCurrent, 4.0);
    EXPECT_EQ(built.model.equations[0].value, 5.0);
    EXPECT_EQ(built.Constant("k")->value, 3.0);
    EXPECT_TRUE(built.Constant("k")->changed);
    EXPECT_TRUE(built.model.ApplyEvent(built.lines, false));
    EXPECT_EQ(built.Constant("k")->value, 9.0);
    EXPECT_EQ(built.model.tCurrent, 6.0);
    // Past the last event nothing happens.
    EXPECT_TRUE(built.model.ApplyEvent(built.lines, false));
    EXPECT_EQ(built.model.eventIndex, 3u);
}

TEST(ApplyEvent, LaterConstantsFollowAChangedConstant) {
    BuiltModel built(
        {"ca = 5", "a = 1", "b = 2*a", "k2 = 5", "X' = b", "X = 1", "@ 0.5 a = a + 1"});
    ASSERT_EQ(built.Code(), 0);
    ASSERT_TRUE(built.model.ApplyEvent(built.lines, false));
    EXPECT_EQ(built.Constant("a")->value, 2.0);
    EXPECT_EQ(built.Constant("b")->value, 4.0);
    // ca stands before a in the constant list, so it is not looked at.
    EXPECT_FALSE(built.Constant("ca")->changed);
    EXPECT_EQ(built.Constant("a")->text, "@ 0.5 a = a + 1");

    // A plain substring test: an event on k touches k2 too.
    BuiltModel substring({"k = 1", "k2 = 5", "@ 0.5 k = 2"});
    ASSERT_TRUE(substring.model.ApplyEvent(substring.lines, false));
    EXPECT_TRUE(substring.Constant("k2")->changed);
    EXPECT_EQ(substring.Constant("k2")->value, 5.0);
}

TEST(ApplyEvent, LiteralsDoNotFollowAConstantOfTheSameValue) {
    BuiltModel built({"k = 2", "X' = 2*X", "X = 1", "@ 0.5 k = 7"});
    ASSERT_EQ(built.Code(), 0);
    ASSERT_TRUE(built.model.ApplyEvent(built.lines, false));
    int error = 0;
    EXPECT_EQ(built.Eval(0, 0, error), 2.0);
}

TEST(ApplyEvent, RebuildsTheFormWithNewCoefficients) {
    BuiltModel built({"k = 2", "X' = k*X", "X = 1", "@ 0.5 k = 7"});
    ASSERT_TRUE(built.model.BuildForm());
    ASSERT_TRUE(built.model.ApplyEvent(built.lines, true));
    EXPECT_EQ(built.form.equations[0].terms[0].coefficient, 7.0);
}

TEST(Locate, FindsTheSpanOfTheDeclaration) {
    TextLines lines{"NAME m", "k = 1 // rate", "X' = -k X", "X = 2", "@ 0.5 k = 3", "!! X"};
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    std::string text = "k = 3";
    int32_t offset = -1, length = -1;
    ASSERT_TRUE(model.Locate(lines, text, offset, length, false));
    EXPECT_EQ(offset, 8);
    EXPECT_EQ(length, 6);
    EXPECT_EQ(text, "k = 3");

    text = " X' = 0";
    ASSERT_TRUE(model.Locate(lines, text, offset, length, true));
    EXPECT_EQ(text, "X' = -k X");
    text = "X = 7";
    ASSERT_TRUE(model.Locate(lines, text, offset, length, true));
    EXPECT_EQ(text, "X = 2");
    text = "!! Y";
    ASSERT_TRUE(model.Locate(lines, text, offset, length, true));
    EXPECT_EQ(text, "!! X");

    for (const char* missing : {"@ 0.5 k = 1", "q = 1", "Y' = 1", "k 3", "k"}) {
        text = missing;
        EXPECT_FALSE(model.Locate(lines, text, offset, length, true)) << missing;
    }
    // A text that cannot be read is not found either, and nothing is reported.
    TextLines repeated{"k = 1", "k = 2"};
    text = "k = 3";
    EXPECT_FALSE(model.Locate(repeated, text, offset, length, false));
    EXPECT_EQ(sink.code, 0);
}

} // namespace
} // namespace kora::test

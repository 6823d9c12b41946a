#include "model_fixture.h"

namespace kora::test {
namespace {

TEST(ModelReading, ContinuedLinesJoinAndCommentsAreCut) {
    BuiltModel built({"X' = 1 >>", "  >> + X", "X = 1 // X = 2", "k = 2 >>   ", "* 3"});
    ASSERT_EQ(built.Code(), 0);
    ASSERT_EQ(built.model.equations.size(), 1u);
    int error = 0;
    EXPECT_DOUBLE_EQ(built.Eval(0, 0, error), 2.0);
    EXPECT_EQ(built.model.equations[0].value, 1.0);
    EXPECT_EQ(built.Constant("k")->value, 6.0);
    EXPECT_EQ(built.model.equations[0].text, "X' = 1" + std::string(9, ' ') + "+ X");
}

TEST(ModelReading, LinesThatAreNoStatementAreIgnored) {
    BuiltModel built({"_k = 3", "k 3", "3k = 1", "SET k=2", "just text", "@ = 1", "X' 1"});
    EXPECT_EQ(built.Code(), 0);
    EXPECT_TRUE(built.model.equations.empty());
    EXPECT_TRUE(built.model.definitions.empty());
    EXPECT_TRUE(built.model.events.empty());
    EXPECT_EQ(built.Constant("k"), nullptr);
    EXPECT_EQ(built.Constant("_k"), nullptr);
    EXPECT_EQ(built.model.ReportedColumns(), 1);
}

TEST(ModelReading, RepeatedDeclarationsStopReading) {
    BuiltModel twice({"k = 1", "k = 2"});
    EXPECT_EQ(twice.Code(), 19);
    EXPECT_EQ(twice.sink.context, "k = 2");
    BuiltModel equations({"X' = 1", "X' = 2"});
    EXPECT_EQ(equations.Code(), 19);
    // An initial value, an equation and events on one name are no repetition.
    BuiltModel fine({"X' = 1", "X = 2", "@ 0.5 X = 3", "@ 0.7 X = 4"});
    EXPECT_EQ(fine.Code(), 0);
}

TEST(ModelReading, KeywordsArePlainPrefixes) {
    BuiltModel built({"NAMEX = 1", "X' = -X", "DESCRIPTION a model", "~ other name"});
    ASSERT_EQ(built.Code(), 0);
    EXPECT_EQ(built.model.equations[0].value, 1.0);
    EXPECT_EQ(built.model.keywordLines.size(), 3u);
    EXPECT_EQ(built.model.title, "X = 1");

    BuiltModel tilde({"~  Tilde name  ", "X' = 1", "X = 1"});
    EXPECT_EQ(tilde.model.title, "Tilde name");
    BuiltModel none({"X' = 1", "X = 1"});
    EXPECT_EQ(none.model.title, "");
}

TEST(ModelReading, OffsetsCountTwoPerLineEnd) {
    BuiltModel built({"NAME m", "k = 1", "X' = k", "X = 2"});
    ASSERT_EQ(built.Code(), 0);
    EXPECT_EQ(built.model.equations[0].offset, 6 + 2 + 5 + 2);
    EXPECT_EQ(built.model.equations[0].length, 6);
    EXPECT_EQ(built.model.equations[0].start, 4);
}

} // namespace
} // namespace kora::test

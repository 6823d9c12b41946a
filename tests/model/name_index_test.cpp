#include <gtest/gtest.h>

#include "model/error_display.h"
#include "model/krm_parser.h"
#include "model/name_index.h"

namespace kora {
namespace {

Statement Named(const std::string& name, double value = 0.0) {
    Statement statement;
    statement.name = name;
    statement.value = value;
    return statement;
}

TEST(NameIndexTest, AnswersAsAScanFromTheFrontWhileTheListGrows) {
    std::vector<Statement> list{Named("a"), Named(""), Named("b")};
    NameIndex index;
    EXPECT_EQ(index.Find(list, "b"), 2);
    EXPECT_EQ(index.Find(list, "c"), -1);
    EXPECT_EQ(index.Find(list, ""), -1); // nameless entries are never found by name

    list.push_back(Named("c"));
    list.push_back(Named("a")); // a later duplicate never hides the first
    EXPECT_EQ(index.Find(list, "c"), 3);
    EXPECT_EQ(index.Find(list, "a"), 0);
}

TEST(NameIndexTest, ReindexesAListChangedBehindIt) {
    std::vector<Statement> list{Named("x"), Named("y")};
    NameIndex index;
    EXPECT_EQ(index.Find(list, "y"), 1);
    list = {Named("y")}; // shorter
    EXPECT_EQ(index.Find(list, "y"), 0);
    list = {Named("z"), Named("w"), Named("y")}; // longer, old positions stale
    EXPECT_EQ(index.Find(list, "y"), 2);
}

TEST(NameIndexTest, NumbersShareTheFirstNamelessConstantOfEqualValue) {
    std::vector<Statement> constants{Named("k", 2.0), Named("", 0.0), Named("", 2.0),
                                     Named("", 2.0)};
    NumberIndex index;
    EXPECT_EQ(index.Find(constants, 2.0), 2);  // not the named k
    EXPECT_EQ(index.Find(constants, -0.0), 1); // -0 == +0
    EXPECT_EQ(index.Find(constants, 3.0), -1);
    constants[2].value = 5.0; // changed in place: the stale hit is noticed
    EXPECT_EQ(index.Find(constants, 2.0), 3);
}

// Builds of different texts through one parser: names resolve against the
// new text, never against positions left from the last one.
TEST(NameIndexTest, RebuildsResolveNamesOfTheNewText) {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    const TextLines first{"x' = -k*x + c", "k = 2*c", "c = 0.5", "x = 1", "tf = 1"};
    model.Build(first);
    ASSERT_EQ(sink.code, 0);

    const TextLines second{"c' = x", "x = 3", "c = 1", "x' = -x", "x' = 1"};
    model.Build(second);
    EXPECT_EQ(sink.code, 19); // the repeated equation is still found

    const TextLines third{"c' = x", "x' = -c", "x = 3", "c = 1"};
    model.Build(third);
    ASSERT_EQ(sink.code, 0);
    ASSERT_EQ(model.equations.size(), 2u);
    EXPECT_EQ(model.equations[0].value, 1.0);
    EXPECT_EQ(model.equations[1].value, 3.0);
}

} // namespace
} // namespace kora

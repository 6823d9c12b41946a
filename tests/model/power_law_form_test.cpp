#include "model_fixture.h"

namespace kora::test {
namespace {

using Orders = std::map<uint32_t, double>;

struct FormModel : BuiltModel {
    explicit FormModel(TextLines text) : BuiltModel(std::move(text)) {
        built = Code() == 0 && model.BuildForm();
    }
    const std::vector<GMATerm>& Terms(size_t i = 0) const { return form.equations.at(i).terms; }
    bool built = false;
};

TEST(PowerLawForm, TermsOfProductsAndQuotients) {
    FormModel form({"X' = 2*X^0.5*Y - 3*X", "Y' = X/(2*Y)", "X = 1", "Y = 1"});
    ASSERT_TRUE(form.built) << form.sink.code;
    ASSERT_EQ(form.Terms(0).size(), 2u);
    EXPECT_EQ(form.Terms(0)[0].coefficient, 2.0);
    EXPECT_EQ(form.Terms(0)[0].exponents, (Orders{{0, 0.5}, {1, 1.0}}));
    EXPECT_EQ(form.Terms(0)[1].coefficient, -3.0);
    EXPECT_EQ(form.Terms(0)[1].exponents, (Orders{{0, 1.0}}));
    ASSERT_EQ(form.Terms(1).size(), 1u);
    EXPECT_EQ(form.Terms(1)[0].coefficient, 0.5);
    EXPECT_EQ(form.Terms(1)[0].exponents, (Orders{{0, 1.0}, {1, -1.0}}));
}

TEST(PowerLawForm, ExpansionAndNormalization) {
    FormModel square({"X' = (X + Y)^2", "Y' = 2*X - X*1 + k", "X = 1", "Y = 1", "k = 0"});
    ASSERT_TRUE(square.built);
    EXPECT_EQ(square.Terms(0).size(), 4u);
    NormalizeForm(square.form);
    ASSERT_EQ(square.Terms(0).size(), 3u);
    EXPECT_EQ(square.Terms(0)[0].exponents, (Orders{{0, 2.0}}));
    EXPECT_EQ(square.Terms(0)[1].coefficient, 2.0);
    EXPECT_EQ(square.Terms(0)[1].exponents, (Orders{{0, 1.0}, {1, 1.0}}));
    EXPECT_EQ(square.Terms(0)[2].exponents, (Orders{{1, 2.0}}));
    ASSERT_EQ(square.Terms(1).size(), 1u);
    EXPECT_EQ(square.Terms(1)[0].coefficient, 1.0);
    EXPECT_EQ(square.Terms(1)[0].exponents, (Orders{{0, 1.0}}));

    GMAexpression mixed;
    mixed.terms = {{-1, {{0, 1}}}, {2, {}}, {-3, {{1, 1}}}, {4, {{0, 1}}}};
    NormalizeExpression(mixed);
    ASSERT_EQ(mixed.terms.size(), 3u);
    EXPECT_EQ(mixed.terms[0].coefficient, 3.0);
    EXPECT_EQ(mixed.terms[1].coefficient, 2.0);
    EXPECT_EQ(mixed.terms[2].coefficient, -3.0);
}

TEST(PowerLawForm, IndependentVariablesAndInlinedDefinitions) {
    FormModel form({"X' = v X0 - X^g", "v = k*X", "X = 1", "X0 = 2", "k = 3", "g = 0.5", "&& X0"});
    ASSERT_TRUE(form.built) << form.sink.code;
    ASSERT_EQ(form.Terms().size(), 2u);
    EXPECT_EQ(form.Terms()[0].coefficient, 3.0);
    EXPECT_EQ(form.Terms()[0].exponents, (Orders{{0, 1.0}, {1, 1.0}}));
    EXPECT_EQ(form.Terms()[1].exponents, (Orders{{0, 0.5}}));
    FormModel zeroPower({"X' = 3*X^0", "X = 1"});
    ASSERT_TRUE(zeroPower.built);
    EXPECT_TRUE(zeroPower.Terms()[0].exponents.empty());
}

TEST(PowerLawForm, NonPowerLawsFailWithTheirCodes) {
    const struct {
        const char* equation;
        int code;
        const char* detail;
    } cases[] = {
        {"X' = (X + Y)^0.5", 6, ""}, {"X' = X^Y", 5, ""},      {"X' = 1/(X + 1)", 4, ""},
        {"X' = sin[X]", 3, ""},      {"X' = _time", 3, ""},    {"X' = w - X", 3, "w"},
        {"X' = X/(Y - Y)", 13, ""},  {"X' = (X+Y)^40", 6, ""}, {"X' = (X+Y)^-1", 6, ""},
    };
    for (const auto& c : cases) {
        FormModel form({c.equation, "Y' = 1", "X = 1", "Y = 1", "w = ln[X]"});
        EXPECT_FALSE(form.built) << c.equation;
        EXPECT_EQ(form.sink.code, c.code) << c.equation;
        EXPECT_EQ(form.sink.detail, c.detail) << c.equation;
        EXPECT_EQ(form.sink.context, c.equation);
    }
}

TEST(PowerLawForm, InitialValuesMustBePositiveAndEquationsExist) {
    FormModel zero({"X' = -X", "X = 0"});
    EXPECT_EQ(zero.sink.code, 10);
    EXPECT_EQ(zero.sink.context, "X = 0");
    FormModel negative({"X' = -X", "X = -1.5e-7"});
    EXPECT_EQ(negative.sink.context, "X = -1.5e-07");
    FormModel empty({"k = 1"});
    EXPECT_FALSE(empty.built);
    EXPECT_EQ(empty.sink.code, 18);
    EXPECT_EQ(empty.sink.context, "");
}

TEST(PowerLawForm, Classification) {
    const struct {
        std::vector<std::string> lines;
        const char* sentence;
    } cases[] = {
        {{"X' = Y - X", "Y' = X - 2Y"}, "System is a binary full S-system."},
        {{"X' = 2X", "Y' = -X Y"}, "System is a binary half system."},
        {{"X' = 2X^0.5", "Y' = -X"}, "System is a half system."},
        {{"X' = 1 + X - Y^2", "Y' = X - Y"}, "System is a GMA."},
        {{"X' = 1 - Y^2", "Y' = X"}, "System is a S-system."},
        {{"X' = X^0.5 - Y", "Y' = X - Y^2"}, "System is a full S-system."},
    };
    for (const auto& c : cases) {
        TextLines lines = c.lines;
        lines.insert(lines.end(), {"X = 1", "Y = 1"});
        FormModel form(lines);
        ASSERT_TRUE(form.built) << c.sentence;
        EXPECT_EQ(ClassificationSentence(ClassifyForm(form.form), true), c.sentence);
    }
    FormModel full({"X' = Y - X", "Y' = 2 - Y", "X = 1", "Y = 1"});
    ClassifyForm(full.form);
    EXPECT_EQ(full.form.equations[0].equationType, kEquationSSystem);
    KRMForm none;
    EXPECT_EQ(ClassifyForm(none), 0u);
    EXPECT_EQ(ClassificationSentence(0, false), "System is not a PL form");
}

} // namespace
} // namespace kora::test

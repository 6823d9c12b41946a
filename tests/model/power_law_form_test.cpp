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

using Terms = std::vector<std::pair<double, Orders>>;

void ExpectTerms(const std::vector<GMATerm>& got, const Terms& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t k = 0; k < want.size(); ++k) {
        EXPECT_EQ(got[k].coefficient, want[k].first) << "term " << k;
        EXPECT_EQ(got[k].exponents, want[k].second) << "term " << k;
    }
}

TEST(PowerLawForm, TermsOfProductsQuotientsAndInlinedDefinitions) {
    FormModel form({"X' = 2*X^0.5*Y - 3*X", "Y' = X/(2*Y)", "X = 1", "Y = 1"});
    ASSERT_TRUE(form.built) << form.sink.code;
    ExpectTerms(form.Terms(0), {{2.0, {{0, 0.5}, {1, 1.0}}}, {-3.0, {{0, 1.0}}}});
    ExpectTerms(form.Terms(1), {{0.5, {{0, 1.0}, {1, -1.0}}}});

    // Independent variables take their positions after the variables.
    FormModel inlined(
        {"X' = v X0 - X^g", "v = k*X", "X = 1", "X0 = 2", "k = 3", "g = 0.5", "&& X0"});
    ASSERT_TRUE(inlined.built) << inlined.sink.code;
    ExpectTerms(inlined.Terms(), {{3.0, {{0, 1.0}, {1, 1.0}}}, {-1.0, {{0, 0.5}}}});
    FormModel zeroPower({"X' = 3*X^0", "X = 1"});
    ASSERT_TRUE(zeroPower.built);
    ExpectTerms(zeroPower.Terms(), {{3.0, {}}});
}

TEST(PowerLawForm, ExpansionAndNormalization) {
    FormModel square({"X' = (X + Y)^2", "Y' = 2*X - X*1 + k", "X = 1", "Y = 1", "k = 0"});
    ASSERT_TRUE(square.built);
    EXPECT_EQ(square.Terms(0).size(), 4u);
    NormalizeForm(square.form);
    ExpectTerms(square.Terms(0),
                {{1.0, {{0, 2.0}}}, {2.0, {{0, 1.0}, {1, 1.0}}}, {1.0, {{1, 2.0}}}});
    ExpectTerms(square.Terms(1), {{1.0, {{0, 1.0}}}});

    GMAexpression mixed;
    mixed.terms = {{-1, {{0, 1}}}, {2, {}}, {-3, {{1, 1}}}, {4, {{0, 1}}}};
    NormalizeExpression(mixed);
    ExpectTerms(mixed.terms, {{3.0, {{0, 1.0}}}, {2.0, {}}, {-3.0, {{1, 1.0}}}});
}

TEST(PowerLawForm, TermsWithACoefficientOfZeroAreDroppedAndOthersKeptAsWritten) {
    FormModel form({"X' = 1 + 0*2 - X + 0*X - X", "Y' = k*X", "X = 1", "Y = 1", "k = 0"});
    ASSERT_TRUE(form.built);
    ExpectTerms(form.Terms(0), {{1.0, {}}, {-1.0, {{0, 1.0}}}, {-1.0, {{0, 1.0}}}});
    EXPECT_TRUE(form.Terms(1).empty());

    // 50,000 zero terms once made every Taylor step walk them all.
    std::string zeros = "X' = 1";
    for (int k = 0; k < 50000; ++k)
        zeros += " + 0*2 - X";
    FormModel many({zeros, "X = 1"});
    ASSERT_TRUE(many.built);
    EXPECT_EQ(many.Terms().size(), 50001u);
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

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "model/fused_code.h"
#include "model/kept_model.h"
#include "model/model_patch.h"
#include "model/postfix_words.h"
#include "model_files.h"
#include "model_fixture.h"

namespace kora {
namespace {

std::string Exact(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%a", value);
    return text;
}

std::string DescribeConstant(const KRMparser& model, int32_t index) {
    const Statement& constant = model.constants[static_cast<size_t>(index)];
    return "(" + constant.name + "=" + Exact(constant.value) + ")";
}

// Code with each constant shown by its name and value: interned numbers may
// sit at other indexes after a patch, and must read the same values.
std::string DescribeCode(const KRMparser& model, const std::vector<int32_t>& code) {
    std::string text;
    for (size_t i = 0; i < code.size(); ++i) {
        text += std::to_string(code[i]) + " ";
        if (code[i] == kWordConstant) {
            text += DescribeConstant(model, code[++i]) + " ";
        } else if (WordHasOperand(code[i])) {
            text += "(" + std::to_string(code[++i]) + ") ";
        }
    }
    return text;
}

// Fused code: every operand that names a constant shows its value.
std::string DescribeFused(const KRMparser& model, const std::vector<int32_t>& code) {
    std::string text;
    for (size_t i = 0; i < code.size(); ++i) {
        const int32_t word = code[i];
        const int count = FusedOperandCount(word);
        text += std::to_string(word) + " ";
        for (int k = 0; k < count; ++k) {
            const int32_t operand = code[++i];
            // The variable's operand is the only one that names no constant.
            const bool variable =
                word == kWordVariable || word == kWordDefinition || word == kWordTime ||
                word == kWordBranch || word == kWordSkip || word == kWordNoPiece ||
                word == kFusedMultiplyVariable ||
                (word >= kFusedPower && word <= kFusedMultiplyPowerNegated && k == 0) ||
                (word >= kFusedTerm && k == 1);
            text += variable ? "(" + std::to_string(operand) + ") "
                             : DescribeConstant(model, operand) + " ";
        }
    }
    return text;
}

std::string DescribeStatement(const KRMparser& model, const Statement& s) {
    return s.name + "|" + s.text + "|" + std::to_string(s.offset) + "," + std::to_string(s.length) +
           "," + std::to_string(s.start) + "|" + Exact(s.value) + "|" + std::to_string(s.state) +
           "," + std::to_string(s.reportIndex) + "," + std::to_string(s.valueIndex) + "|" +
           DescribeCode(model, s.code) + "|" + DescribeFused(model, s.fused) + "\n";
}

// What a build leaves for a solve, a report or an error message to read.
std::string Describe(const KRMparser& model) {
    std::string text;
    for (const auto* list : {&model.equations, &model.definitions, &model.keywordLines,
                             &model.assignments, &model.events})
        for (const Statement& s : *list)
            text += DescribeStatement(model, s);
    for (const Statement& s : model.constants)
        if (!s.name.empty()) text += DescribeStatement(model, s);
    for (const ModelSwitch& s : model.switchingFunctions)
        text += s.text + "|" + DescribeCode(model, s.code) + "\n";
    RandomSource random = model.random;
    text += Exact(random.Next()) + " " + Exact(random.Next()) + "\n";
    text += Exact(model.t0) + " " + Exact(model.tf) + " " + Exact(model.hr) + " " +
            std::to_string(model.nPoints) + " " + std::to_string(model.backward) + " " +
            std::to_string(model.nIndependent) + " " + std::to_string(model.stackDepth) + " " +
            std::to_string(model.triggerSwitches) + " " + std::to_string(model.eventIndex) + " " +
            model.title + "\n";
    return text;
}

// Builds `lines`, keeps the model as a solve's end does, and takes it back
// for `next`. True when it was patched; the model then equals a fresh build
// of `next`.
bool PatchesLikeABuild(const TextLines& lines, const TextLines& next) {
    test::BuiltModel old(lines);
    EXPECT_EQ(old.sink.code, 0) << old.sink.context;
    KeptModel kept;
    kept.Remember(old.model);
    old.model.equations[0].value = 42.0; // a solve may move values
    kept.Hold(old.model);
    EXPECT_TRUE(old.model.equations.empty());
    old.sink.code = 7; // the sink still holds the last run's failure
    if (!kept.TakeBack(old.model, lines, next)) return false;
    const test::BuiltModel fresh(next);
    EXPECT_EQ(fresh.sink.code, 0) << fresh.sink.context;
    EXPECT_EQ(old.sink.code, 0);
    EXPECT_EQ(Describe(old.model), Describe(fresh.model));
    return true;
}

TextLines Replaced(TextLines lines, size_t i, const std::string& line) {
    lines[i] = line;
    return lines;
}

TEST(ModelPatch, ReadsOnlyPlainNumbersAssignedOnTheirOwnLine) {
    const KRMparser model(nullptr, nullptr);
    ValueLine line;
    auto reads = [&](const TextLines& lines, size_t i) {
        return ReadValueLine(model, lines, i, line);
    };
    EXPECT_TRUE(reads({"  k = 0.5 // rate"}, 0));
    EXPECT_EQ(line.name, "k");
    EXPECT_EQ(line.text, "  k = 0.5 ");
    EXPECT_EQ(line.start, 5);
    EXPECT_EQ(line.value, 0.5);
    EXPECT_TRUE(reads({"k=-2e-3"}, 0));
    EXPECT_EQ(line.value, -2e-3);
    EXPECT_TRUE(reads({"k = + .5"}, 0));
    EXPECT_EQ(line.value, 0.5);
    for (const char* text :
         {"k = - -2", "k = 2 3", "k = 2*3", "k = 1e999", "k = 1e-310", "k = j", "_k = 1",
          "@ 1 k = 2", "X' = 1", "k", "NAME k = 1", "!! k = 1", "k = 2 >>"})
        EXPECT_FALSE(reads({text}, 0)) << text;
    EXPECT_FALSE(reads({"v = 1 + >>", "k = 2"}, 1)); // continues the line above
}

TEST(ModelPatch, ConstantsAndInitialValuesPatchLikeABuild) {
    const TextLines lines{"NAME decay", "k = 0.5", "X' = -k*X + v", "v = k*X^0.5 // flux", "X = 2",
                          "Y' = X",     "Y = 0.5", "tf = 10",       "!! X, v, k"};
    EXPECT_TRUE(PatchesLikeABuild(lines, Replaced(lines, 1, "k = 0.75")));
    EXPECT_TRUE(PatchesLikeABuild(lines, Replaced(lines, 4, "X =3.25 // longer now")));
    // Both at once, and a number shared with other code (0.5).
    EXPECT_TRUE(PatchesLikeABuild(lines, Replaced(Replaced(lines, 1, "k = -1"), 6, "Y = 7")));
    EXPECT_TRUE(PatchesLikeABuild(lines, lines));
}

TEST(ModelPatch, EveryExampleAndTestModelPatchesLikeABuild) {
    int patched = 0;
    for (const auto& file : test::ExampleAndTestModels()) {
        const TextLines lines = test::ModelLinesOf(file);
        const test::BuiltModel old(lines);
        if (old.sink.code != 0) continue;
        ValueLine line;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (!ReadValueLine(old.model, lines, i, line)) continue;
            const std::string changed = line.name + " = " + std::to_string(line.value * 1.5 + 0.25);
            SCOPED_TRACE(file.filename().string() + ": " + changed);
            if (PatchesLikeABuild(lines, Replaced(lines, i, changed))) ++patched;
        }
    }
    EXPECT_GE(patched, 25);
}

TEST(ModelPatch, RebuildsForAnythingButAPlainValue) {
    const TextLines lines{"k = 0.5", "k2 = 2*k", "X' = -k2*X", "X = k", "m = 1", "tf = 10"};
    const std::vector<std::pair<size_t, std::string>> changes{
        {2, "X' = -k*X"}, // an equation
        {4, "m = 2*0.5"}, // a constant turned into an expression
        {4, "n = 1"},     // a renamed constant
        {0, "k = 0.7"},   // another constant and an initial value follow it
        {5, "tf = 20"},   // a predefined name: the time span and the grid
    };
    for (const auto& [i, text] : changes)
        EXPECT_FALSE(PatchesLikeABuild(lines, Replaced(lines, i, text))) << text;
    TextLines longer = lines;
    longer.push_back("m = 3");
    EXPECT_FALSE(PatchesLikeABuild(lines, longer));

    for (const char* extra : {"@ 5 X = 1", "@ [X < 0.1] X = 1", "r = rand[1]*X"}) {
        TextLines withEvent = lines;
        withEvent.push_back(extra);
        EXPECT_FALSE(PatchesLikeABuild(withEvent, Replaced(withEvent, 4, "m = 3"))) << extra;
    }
}

TEST(ModelPatch, AValueThatCannotBeComputedIsLeftToTheBuild) {
    const TextLines lines{"X' = -X^g + v", "g = -0.5", "X = 1", "k = 1", "v = ln[k*X]"};
    EXPECT_FALSE(PatchesLikeABuild(lines, Replaced(lines, 2, "X = 0")));
    EXPECT_FALSE(PatchesLikeABuild(lines, Replaced(lines, 3, "k = -1")));
    EXPECT_TRUE(PatchesLikeABuild(lines, Replaced(lines, 3, "k = 3")));
    // A branch not taken may fail, as at the build.
    const TextLines guarded{"X' = if[k > 0, ln[k], 0]", "X = 1", "k = 1"};
    EXPECT_TRUE(PatchesLikeABuild(guarded, Replaced(guarded, 2, "k = -1")));
}

TEST(ModelPatch, ConstantsDrawnAtTheBuildKeepTheRandomSequence) {
    const TextLines lines{"r = rand[1]", "X' = -r*X", "X = 1", "s = rand[2]"};
    EXPECT_TRUE(PatchesLikeABuild(lines, Replaced(lines, 2, "X = 4")));
}

TEST(ModelPatch, ChangedSettingsRebuild) {
    const TextLines lines{"X' = -k*X", "X = 1", "k = 1"};
    test::BuiltModel old(lines);
    KeptModel kept;
    kept.Remember(old.model);
    kept.Hold(old.model);
    old.model.predefinedNames[KRMparser::kFinalTime] = "tend";
    EXPECT_FALSE(kept.TakeBack(old.model, lines, Replaced(lines, 2, "k = 2")));
    // Nothing is held any more.
    EXPECT_FALSE(kept.TakeBack(old.model, lines, lines));
}

} // namespace
} // namespace kora

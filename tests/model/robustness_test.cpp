// Random and mutated model texts must never crash or hang the reader, the
// compiler, the evaluator or the power-law form.
#include <gtest/gtest.h>

#include <random>

#include "model/krm_parser.h"

namespace kora {
namespace {

const TextLines kSeedModels[] = {
    {"NAME Two-step pathway", "V1 = 2.5", "k2 = 0.8", "g = -0.5", "X1' = V1 * X2^g - k2 * X1^0.5",
     "X2' = k2 * X1^0.5 - X2", "X1 = 1", "X2 = 0.5 // initial value", "flux = k2 * X1^0.5",
     "tf = 20", "hr = 0.5", "@ 10 V1 = 5", "!! X1, X2, flux"},
    {"a1 = 2", "X0 = 1", "&& X0", "X1' = a1 * X0 * X3^-0.8 - X1^0.5", "X3' = X1 - (X3 + X1)^2",
     "X1 = 0.1", "X3 = 0.1", "t0 = 5", "tf = 0", "@ 2 a1 = a1 * 2", "@ te X1 = 3", "te = 1"},
    {"X' = sin[_time] + ln[Y] - sqrt[abs[X]] >>", "  >> + floor[X] flag[Y] rand[2]",
     "Y' = exp[-Y] / (1 + X^2)", "X = 1", "Y = 2", "v = X Y 2(3)", "Npoints = 10"},
};

const char kAlphabet[] = "+-*/^()[]'=@&!,.~ \t0123456789eXYk_>/abcdefghijklmnopqrstuvwxyz";

std::string RandomLine(std::mt19937& random) {
    std::uniform_int_distribution<size_t> length(0, 40);
    std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 2);
    std::string line;
    for (size_t n = length(random); n > 0; --n)
        line += kAlphabet[pick(random)];
    return line;
}

void Mutate(TextLines& lines, std::mt19937& random) {
    std::uniform_int_distribution<int> action(0, 5);
    std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 2);
    if (lines.empty()) lines.push_back(RandomLine(random));
    std::string& line = lines[random() % lines.size()];
    size_t at = line.empty() ? 0 : random() % (line.size() + 1);
    switch (action(random)) {
    case 0:
        line.insert(at, 1, kAlphabet[pick(random)]);
        break;
    case 1:
        if (at < line.size()) line.erase(at, 1);
        break;
    case 2:
        if (at < line.size()) line[at] = kAlphabet[pick(random)];
        break;
    case 3:
        lines.push_back(lines[random() % lines.size()]);
        break;
    case 4:
        lines.insert(lines.begin() + random() % lines.size(), RandomLine(random));
        break;
    default:
        std::swap(line, lines[random() % lines.size()]);
        break;
    }
}

// Everything a run does with a built model.
void Exercise(KRMparser& model, ErrorDisplay& sink, KRMForm& form, const TextLines& lines) {
    model.Build(lines);
    ASSERT_GE(sink.code, 0);
    ASSERT_LE(sink.code, 22);
    if (sink.code != 0) return;
    std::vector<double> x, aux, c;
    for (const Statement& s : model.equations)
        x.push_back(s.value);
    for (const Statement& s : model.definitions)
        aux.push_back(s.value);
    for (const Statement& s : model.constants)
        c.push_back(s.value);
    std::vector<double> stack(model.stackDepth);
    for (int kind = 0; kind < 2; ++kind) {
        size_t count = kind == 0 ? x.size() : aux.size();
        for (size_t i = 0; i < count; ++i) {
            const Statement& s = kind == 0 ? model.equations[i] : model.definitions[i];
            ASSERT_FALSE(s.code.empty());
            ASSERT_EQ(s.code.back(), 0);
            ASSERT_LE(s.code.size(), model.stackDepth);
            int error = 0;
            model.Evaluate(kind, static_cast<int>(i), 0.5, x.data(), aux.data(), c.data(), error,
                           stack.data());
        }
    }
    if (model.BuildForm()) ClassifyForm(form);
    while (model.eventIndex < model.events.size())
        if (!model.ApplyEvent(lines, false)) break;
    std::string text = lines.empty() ? "" : lines[0];
    int32_t offset = 0, length = 0;
    model.Locate(lines, text, offset, length, true);
}

TEST(Robustness, RandomAndMutatedTextsNeverCrash) {
    std::mt19937 random(20261206);
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    int built = 0;
    for (int round = 0; round < 5000; ++round) {
        TextLines lines;
        if (round % 4 == 0) {
            for (int n = random() % 6; n >= 0; --n)
                lines.push_back(RandomLine(random));
        } else {
            lines = kSeedModels[round % 3];
            for (int n = random() % 4; n >= 0; --n)
                Mutate(lines, random);
        }
        Exercise(model, sink, form, lines);
        if (HasFailure()) {
            std::string text;
            for (const std::string& line : lines)
                text += line + "\n";
            FAIL() << "model text:\n" << text;
        }
        built += sink.code == 0;
    }
    // The mutations must leave enough models intact to reach the evaluator.
    EXPECT_GT(built, 300);
}

} // namespace
} // namespace kora

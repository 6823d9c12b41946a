// One expression compiled into a small model and evaluated at states taken
// from the input: a value or a failure code, never a crash or undefined
// behaviour.
#include <cstring>
#include <vector>

#include "fuzz_input.h"
#include "model/krm_parser.h"

namespace {

// The first line is the expression; the bytes after it give the states.
std::vector<double> StatesFrom(std::string_view rest) {
    std::vector<double> values;
    double value = 0.0;
    for (size_t at = 0; at + sizeof value <= rest.size() && values.size() < 12;
         at += sizeof value) {
        std::memcpy(&value, rest.data() + at, sizeof value);
        values.push_back(value);
    }
    values.push_back(0.0);
    values.push_back(-1.0);
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kora;
    if (fuzz::TooLarge(size)) return -1;
    const std::string_view text = fuzz::AsText(data, size);
    const size_t end = text.find('\n');
    const std::string expression(text.substr(0, end));
    const std::string_view rest = end == std::string_view::npos ? "" : text.substr(end + 1);

    const TextLines lines = {"k1 = 2",      "k2 = -0.5",         "X' = " + expression,
                             "Y' = k2 * Y", "a = " + expression, "X = 1",
                             "Y = 0.5",     "!! X, Y, a"};
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    model.Build(lines);
    if (model.HasErrors()) return 0;

    std::vector<double> stack(model.stackDepth + 1);
    std::vector<double> x, a, c;
    for (const Statement& s : model.equations)
        x.push_back(s.value);
    for (const Statement& s : model.definitions)
        a.push_back(s.value);
    for (const Statement& s : model.constants)
        c.push_back(s.value);
    for (double state : StatesFrom(rest)) {
        for (double& value : x)
            value = state;
        for (size_t i = 0; i < model.equations.size(); ++i) {
            int error = 0;
            model.Evaluate(0, static_cast<int>(i), state, x.data(), a.data(), c.data(), error,
                           stack.data());
        }
        for (size_t i = 0; i < model.definitions.size(); ++i) {
            int error = 0;
            model.Evaluate(1, static_cast<int>(i), state, x.data(), a.data(), c.data(), error,
                           stack.data());
        }
    }
    return 0;
}

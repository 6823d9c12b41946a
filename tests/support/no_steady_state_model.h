// A model whose steady-state search is slow and fails, for the tests that
// stop or interrupt a steady state.
#pragma once

#include <string>
#include <vector>

namespace kora::testing {

// A model without a steady state whose search and integration fallback take
// very long: `pairs` fast predator-prey cycles around (1, 1) and a Z that
// grows for ever, so the integration runs to its step limit.
inline std::vector<std::string> NoSteadyStateModel(int pairs) {
    std::vector<std::string> text;
    for (int i = 1; i <= pairs; ++i) {
        const std::string x = "X" + std::to_string(i), y = "Y" + std::to_string(i);
        text.push_back(x + "' = 100*" + x + " - 100*" + x + "*" + y);
        text.push_back(y + "' = 100*" + x + "*" + y + " - 100*" + y);
        text.push_back(x + " = 2");
        text.push_back(y + " = 1");
    }
    text.insert(text.end(), {"Z' = 1", "Z = 1"});
    return text;
}

// The same as one text, lines ended by LF.
inline std::string NoSteadyStateText(int pairs) {
    std::string text;
    for (const std::string& line : NoSteadyStateModel(pairs))
        text += line + "\n";
    return text;
}

} // namespace kora::testing

// Trimming lines. Two rules, because model lines and data lines differ in
// what may surround their content.
#pragma once

#include <string_view>

namespace kora {

// Without leading and trailing spaces, tabs and line ends: the rule inside a
// statement, where other control characters are content.
inline std::string_view TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Without leading and trailing spaces and control characters of any kind:
// the rule for every line read from a file (model, script and results-file
// lines), so that texts read with CR LF endings or stray controls compare
// alike.
inline std::string_view TrimSpaceAndControls(std::string_view text) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace kora

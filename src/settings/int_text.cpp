#include "int_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kora {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::optional<int32_t> ParseInt32(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    // from_chars rejects a leading "+", which stored integers may carry.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end) return std::nullopt;
    return value;
}

std::optional<bool> ParseBoolText(std::string_view text) {
    auto is = [text](std::string_view word) {
        return text.size() == word.size() &&
               std::equal(text.begin(), text.end(), word.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == b;
               });
    };
    if (text == "1" || is("true")) return true;
    if (text == "0" || is("false")) return false;
    return std::nullopt;
}

} // namespace kora

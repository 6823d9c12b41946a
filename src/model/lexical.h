// Lexical helpers shared by the statement reader, the expression compiler and
// Locate. Each skips blanks (space, tab) first and moves the position only on
// success.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kora {

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
inline bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
inline bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

int32_t SkipBlanks(std::string_view text, int32_t position);

// The longest run of name characters not starting with a digit.
bool ReadName(std::string_view text, int32_t& position, std::string& name);

// A decimal number: optional sign, digits with an optional fraction, optional
// exponent. Always read with "." as the separator, whatever the locale.
bool ReadNumber(std::string_view text, int32_t& position, double& value);

bool Expect(std::string_view text, int32_t& position, std::string_view literal);

} // namespace kora

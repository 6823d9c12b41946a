// Small text helpers shared by the script preparation.
#pragma once

#include <string>
#include <string_view>

namespace kora::script_text {

// Blanks are spaces and tabs; line-end and other control characters are
// stripped too so that texts read with CR LF endings compare alike.
inline bool IsTrimmable(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

inline std::string_view Trim(std::string_view text) {
    size_t first = 0;
    while (first < text.size() && IsTrimmable(text[first]))
        ++first;
    size_t last = text.size();
    while (last > first && IsTrimmable(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// ASCII only: model texts are 8-bit and keywords are plain Latin letters.
inline char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

inline std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = UpperAscii(c);
    return out;
}

} // namespace kora::script_text

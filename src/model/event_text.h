// Splitting an event's text: pieces separated at the top level (outside
// brackets and parentheses).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kora {

struct TextPiece {
    int32_t begin = 0; // first character
    int32_t end = 0;   // one past the last
};

// The pieces of text[begin, end) between top-level `separator`s.
std::vector<TextPiece> SplitTopLevel(const std::string& text, int32_t begin, int32_t end,
                                     char separator);

// The position of the closing `close` that matches an opening just before
// `begin`, or -1.
int32_t MatchingClose(const std::string& text, int32_t begin, char close);

} // namespace kora

#include "event_text.h"

namespace kora {
namespace {

// Depth change of one character: brackets and parentheses nest alike.
int DepthChange(char c) {
    if (c == '[' || c == '(') return 1;
    if (c == ']' || c == ')') return -1;
    return 0;
}

} // namespace

std::vector<TextPiece> SplitTopLevel(const std::string& text, int32_t begin, int32_t end,
                                     char separator) {
    std::vector<TextPiece> pieces;
    int depth = 0;
    int32_t pieceBegin = begin;
    for (int32_t i = begin; i < end; ++i) {
        const char c = text[static_cast<size_t>(i)];
        depth += DepthChange(c);
        if (depth == 0 && c == separator) {
            pieces.push_back({pieceBegin, i});
            pieceBegin = i + 1;
        }
    }
    pieces.push_back({pieceBegin, end});
    return pieces;
}

int32_t MatchingClose(const std::string& text, int32_t begin, char close) {
    int depth = 1;
    for (int32_t i = begin; i < static_cast<int32_t>(text.size()); ++i) {
        const char c = text[static_cast<size_t>(i)];
        depth += DepthChange(c);
        if (depth == 0) return c == close ? i : -1;
    }
    return -1;
}

} // namespace kora

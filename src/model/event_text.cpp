#include "event_text.h"

#include <array>
#include <string_view>
#include <utility>

namespace kora {
namespace {

// Depth change of one character: brackets and parentheses nest alike.
int DepthChange(char c) {
    if (c == '[' || c == '(') return 1;
    if (c == ']' || c == ')') return -1;
    return 0;
}

} // namespace

bool RelationHolds(Relation relation, double switching) {
    switch (relation) {
    case Relation::Less:
        return switching < 0.0;
    case Relation::LessEqual:
        return switching <= 0.0;
    case Relation::Greater:
        return switching > 0.0;
    case Relation::GreaterEqual:
        return switching >= 0.0;
    case Relation::Equal:
        return switching == 0.0;
    case Relation::NotEqual:
        return switching != 0.0;
    }
    return false;
}

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

bool FindRelation(const std::string& text, int32_t begin, int32_t end, int32_t& at, int32_t& length,
                  Relation& relation) {
    // Two-character operators first, so that "<=" is not read as "<".
    static constexpr std::array<std::pair<std::string_view, Relation>, 6> kOperators{{
        {"<=", Relation::LessEqual},
        {">=", Relation::GreaterEqual},
        {"==", Relation::Equal},
        {"!=", Relation::NotEqual},
        {"<", Relation::Less},
        {">", Relation::Greater},
    }};
    const std::string_view view(text);
    int depth = 0;
    for (int32_t i = begin; i < end; ++i) {
        depth += DepthChange(text[static_cast<size_t>(i)]);
        if (depth != 0) continue;
        for (const auto& [literal, kind] : kOperators) {
            if (i + static_cast<int32_t>(literal.size()) > end ||
                view.substr(static_cast<size_t>(i), literal.size()) != literal)
                continue;
            at = i;
            length = static_cast<int32_t>(literal.size());
            relation = kind;
            return true;
        }
    }
    return false;
}

} // namespace kora

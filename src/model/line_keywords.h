// The keywords that may open a model line, in the order the reader tries
// them, and which of them take the rest of the line as free text. The reader
// and the editor's colours both use this list.
#pragma once

#include <array>
#include <string_view>

namespace kora {

inline constexpr std::array<std::string_view, 5> kModelLineKeywords{"&&", "!!", "DESCRIPTION",
                                                                    "NAME", "~"};

// DESCRIPTION and NAME carry text, not names or numbers.
constexpr bool IsFreeTextKeyword(std::string_view keyword) {
    return keyword == kModelLineKeywords[2] || keyword == kModelLineKeywords[3];
}

} // namespace kora

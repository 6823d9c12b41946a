// What every fuzz target shares: the size cap, and the input as model lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/model_text.h"

namespace kora::fuzz {

// Larger inputs teach nothing that smaller ones do not and only slow the
// search; the readers' own size limits are tested elsewhere.
inline constexpr size_t kMaxInputBytes = 64 * 1024;

inline bool TooLarge(size_t size) {
    return size > kMaxInputBytes;
}

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The model lines of an editor text, as Run splits them.
inline TextLines ModelLinesOf(std::string_view text) {
    return ExtractModelLines(SplitTextLines(text), true).modelLines;
}

} // namespace kora::fuzz

// The text form of a line's display record in a "[Graph]" section:
// "name|style|colour" for a visible line, "name|invisible|colour|style"
// for a hidden one.
#pragma once

#include <string>
#include <string_view>

#include "common/line_style.h"

namespace kora {

inline constexpr int32_t kMinLineStyle = 1;
inline constexpr int32_t kMaxLineStyle = 6;
inline constexpr int32_t kDottedLineStyle = 4; // the word "dotted" of older files

std::string FormatLineRecord(const LineStyle& record, std::string_view name);

// Applies `text` to `record`. The name is ignored; parts that are missing or
// unreadable keep the record's value (a style that is not a number is 1);
// a style outside 1..6 becomes 1; an empty text changes nothing.
void ParseLineRecord(std::string_view text, LineStyle& record);

// A colour as written in files: its 32-bit pattern as a signed integer,
// so system-colour codes are negative. Either sign is accepted on reading.
std::string FormatColour(Colour colour);
bool ParseColour(std::string_view text, Colour& colour);

} // namespace kora

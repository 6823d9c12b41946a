// An editor font kept as the fields it is stored with, so that the core needs
// no toolkit; the desktop application converts it to and from its own font.
#pragma once

#include <cstdint>
#include <string>

#include "common/line_style.h"

namespace kora {

inline constexpr int32_t kPitchDefault = 0;
inline constexpr int32_t kPitchVariable = 1;
inline constexpr int32_t kPitchFixed = 2;

struct FontDescription {
    std::string name = "Courier New";
    int32_t size = 10;
    Colour colour = 0;
    int32_t charset = 0;
    int32_t pitch = kPitchFixed;
    bool bold = false;
    bool italic = false;
    bool strikeOut = false;
    bool underline = false;

    bool operator==(const FontDescription&) const = default;
};

// "name|size|colour|charset|pitch|Bold|Italic|StrikeOut|Underline", each
// style word prefixed with "Not" when off.
std::string SerialiseFont(const FontDescription& font);

// Applies the fields of `text` in stored order; fields it lacks, and numbers
// that do not parse, leave the font's value unchanged.
void ApplySerialisedFont(const std::string& text, FontDescription& font);

} // namespace kora

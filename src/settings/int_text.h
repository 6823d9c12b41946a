// Decimal integers and yes/no values as stored in settings and files.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kora {

// The 32-bit signed integer written in `text` (surrounding blanks allowed,
// optional sign, decimal digits only); nothing when it is not one.
std::optional<int32_t> ParseInt32(std::string_view text);

// A yes/no value: "1" or "0", or "true" or "false" in any case as Qt writes
// them; nothing for any other text.
std::optional<bool> ParseBoolText(std::string_view text);

} // namespace kora

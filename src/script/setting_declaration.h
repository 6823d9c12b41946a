// Expansion of a SETTING command's declarations into one assignment per value.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kora {

// Larger expansions are refused: they are typing mistakes (a step of 1e-9),
// and each value costs a string for the whole run.
inline constexpr size_t kMaxSettingValues = 1'000'000;

// Reads, after leading blanks, the longest decimal literal ([sign] digits
// [. digits] [exponent]) at `position` and moves past it. Locale-independent.
std::optional<double> ReadDecimalNumber(std::string_view text, size_t& position);

// Formats a value as an assignment value: general format, up to 15
// significant digits, always with "." as the decimal separator.
std::string FormatSettingValue(double value);

// Turns the comma-split declarations of one quantity ("k = 0 : 2 : 0.5",
// " 10", ...) into assignments "k=0", "k=0.5", ... in `assignments`.
// Returns false for a declaration that cannot be read, has no name, would
// never end (negative step) or yields more than kMaxSettingValues values.
bool ExpandSettingDeclarations(const std::vector<std::string>& declarations,
                               std::vector<std::string>& assignments);

} // namespace kora

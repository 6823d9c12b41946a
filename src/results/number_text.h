// Numbers as results files and tables write and read them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kora {

// General format with `precision` significant digits (kept within 1..17),
// `decimalSeparator` in place of the point.
std::string FormatGeneral(double value, int32_t precision, char decimalSeparator = '.');

// Appends FormatGeneral's text to `out` without a temporary string.
void AppendGeneral(std::string& out, double value, int32_t precision, char decimalSeparator = '.');

// A token converted with `localeSeparator` as the decimal separator, else
// with the other of "." and ","; nothing when neither gives a number.
std::optional<double> ParseNumber(std::string_view token, char localeSeparator = '.');

} // namespace kora

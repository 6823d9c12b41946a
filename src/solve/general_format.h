// Numbers as the system writes them to files and messages: general format
// with a given number of significant digits, the same in every locale.
#pragma once

#include <string>

namespace kora {

// Shortest of fixed and exponent notation with `digits` significant digits
// (at least 1), trailing zeros removed.
std::string FormatGeneral(double value, int digits);

} // namespace kora

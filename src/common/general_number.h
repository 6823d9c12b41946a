// Numbers in general notation (printf's "%.*g") that read the same in every
// locale. Files, the batch tool's output, script messages and power-law form
// text are written with them, like model text, which always uses ".". A
// window that follows the user's locale swaps the point afterwards.
#pragma once

#include <string>

namespace kora {

// Shortest of fixed and exponent notation with `digits` significant digits
// (clamped to 1..17), trailing zeros removed, "." as the decimal point.
std::string GeneralNumber(double value, int digits);
void AppendGeneralNumber(std::string& out, double value, int digits);

} // namespace kora

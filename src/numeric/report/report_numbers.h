// Number texts of the steady-state report.
#pragma once

#include <string>

namespace kora {

// At most `precision` significant digits, trailing zeros dropped; scientific
// notation (as "1.5e-07") only where fixed notation cannot show them.
std::string ReportGeneral(double value, int precision);

// Five decimals; scientific notation with `precision` significant digits
// once the integer part has more than `precision` digits.
std::string ReportFixed(double value, int precision);

// general(15): the initial values and constants.
inline std::string ReportPlain(double value) {
    return ReportGeneral(value, 15);
}

} // namespace kora

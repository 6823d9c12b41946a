#include "report_numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kora {
namespace {

std::string Chars(double value, std::chars_format format, int precision) {
    char buffer[64];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    return std::string(buffer, written.ptr);
}

} // namespace

std::string ReportGeneral(double value, int precision) {
    return Chars(value, std::chars_format::general, std::clamp(precision, 1, 17));
}

std::string ReportFixed(double value, int precision) {
    const int digits = std::clamp(precision, 1, 17);
    if (std::isfinite(value) && std::abs(value) >= std::pow(10.0, digits))
        return Chars(value, std::chars_format::scientific, digits - 1);
    return Chars(value, std::chars_format::fixed, 5);
}

} // namespace kora

#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <cstddef>

#include "common/general_number.h"

namespace kora {

std::string FormatGeneral(double value, int32_t precision, char decimalSeparator) {
    std::string text;
    AppendGeneral(text, value, precision, decimalSeparator);
    return text;
}

void AppendGeneral(std::string& out, double value, int32_t precision, char decimalSeparator) {
    // Always a point, whatever the process locale; then swapped for the
    // separator asked for.
    const size_t start = out.size();
    AppendGeneralNumber(out, value, precision);
    if (decimalSeparator != '.')
        std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '.',
                     decimalSeparator);
}

namespace {

std::optional<double> ConvertWith(std::string_view token, char separator) {
    const char other = separator == '.' ? ',' : '.';
    if (token.empty() || token.find(other) != std::string_view::npos || token.size() > 400)
        return std::nullopt;
    char buffer[401];
    std::copy(token.begin(), token.end(), buffer);
    std::replace(buffer, buffer + token.size(), separator, '.');
    const char* first = buffer;
    const char* last = buffer + token.size();
    // from_chars takes no explicit plus sign, which some writers put.
    if (last - first > 1 && *first == '+' && first[1] != '-') ++first;
    double value = 0;
    const std::from_chars_result read = std::from_chars(first, last, value);
    if (read.ec != std::errc() || read.ptr != last) return std::nullopt;
    return value;
}

} // namespace

std::optional<double> ParseNumber(std::string_view token, char localeSeparator) {
    const char first = localeSeparator == ',' ? ',' : '.';
    if (std::optional<double> value = ConvertWith(token, first)) return value;
    return ConvertWith(token, first == '.' ? ',' : '.');
}

} // namespace kora

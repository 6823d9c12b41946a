#include "general_number.h"

#include <algorithm>
#include <charconv>

namespace kora {

void AppendGeneralNumber(std::string& out, double value, int digits) {
    // to_chars, unlike snprintf, never looks at the process locale (which
    // the desktop's toolkit sets from the environment).
    char buffer[64];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general,
                      std::clamp(digits, 1, 17));
    out.append(buffer, written.ptr);
}

std::string GeneralNumber(double value, int digits) {
    std::string text;
    AppendGeneralNumber(text, value, digits);
    return text;
}

} // namespace kora

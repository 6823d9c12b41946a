#include "general_format.h"

#include <algorithm>
#include <cstdio>

namespace kora {

std::string FormatGeneral(double value, int digits) {
    char text[64];
    const int precision = std::clamp(digits, 1, 17);
    const int length = std::snprintf(text, sizeof text, "%.*g", precision, value);
    return std::string(text, static_cast<size_t>(std::clamp(length, 0, int(sizeof text) - 1)));
}

} // namespace kora

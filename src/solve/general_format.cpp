#include "general_format.h"

#include "common/general_number.h"

namespace kora {

std::string FormatGeneral(double value, int digits) {
    return GeneralNumber(value, digits);
}

} // namespace kora

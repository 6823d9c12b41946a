// Recolouring related plot lines in steps of lightness, so that lines of the
// same quantity in several time courses stay recognisably one family.
#pragma once

#include <cstddef>
#include <vector>

#include "common/line_style.h"

namespace kora {

// `count` colours with the hue and saturation of `clicked` and lightness
// 1/n, 2/n, ... (increasing) or 1 - 1/n, 1 - 2/n, ... (decreasing), where
// n = count + 1. `clicked` must be an RGB colour, not a system-colour code.
std::vector<Colour> SpreadBrightness(Colour clicked, size_t count, bool increasing);

} // namespace kora

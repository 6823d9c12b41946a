// Colours of a plot: resolving system-colour codes and choosing a foreground
// that stands out against the background.
#pragma once

#include <cstdint>

#include "common/line_style.h"

namespace kora {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kWhite = 0xFFFFFF;

Rgb RgbOf(Colour colour);

// A system-colour code becomes its colour: the window background is
// `windowColour`, other codes take the classic desktop defaults. A plain
// colour is returned without its unused high byte.
Colour ResolveColour(Colour colour, Colour windowColour = kWhite);

// Lightness (max + min) / 2 of the colour's components, scaled to 0..1.
double Lightness(Colour colour);

// Black on a background lighter than 0.45, white otherwise.
Colour ContrastForeground(Colour background);

} // namespace kora

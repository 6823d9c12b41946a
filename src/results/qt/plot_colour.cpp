#include "plot_colour.h"

#include <algorithm>
#include <array>

#include "results/results_set.h"

namespace kora {

namespace {

// The classic desktop values of the system colours, by code.
constexpr std::array<Colour, 31> kSystemColours{
    0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0x000000, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xFF9933, 0xF0F0F0};

constexpr Colour kWindowCode = kSystemWindowColour & ~kSystemColourFlag;

} // namespace

Rgb RgbOf(Colour colour) {
    return Rgb{static_cast<uint8_t>(colour & 0xFF), static_cast<uint8_t>((colour >> 8) & 0xFF),
               static_cast<uint8_t>((colour >> 16) & 0xFF)};
}

Colour ResolveColour(Colour colour, Colour windowColour) {
    if ((colour & kSystemColourFlag) == 0) return colour & 0xFFFFFF;
    const Colour code = colour & ~kSystemColourFlag;
    if (code == kWindowCode) return windowColour & 0xFFFFFF;
    return code < kSystemColours.size() ? kSystemColours[code] : windowColour & 0xFFFFFF;
}

double Lightness(Colour colour) {
    const Rgb rgb = RgbOf(colour);
    const int high = std::max({rgb.red, rgb.green, rgb.blue});
    const int low = std::min({rgb.red, rgb.green, rgb.blue});
    return (high + low) / 2.0 / 255.0;
}

Colour ContrastForeground(Colour background) {
    return Lightness(background) > 0.45 ? kBlack : kWhite;
}

} // namespace kora

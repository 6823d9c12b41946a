#include "brightness_spread.h"

#include <algorithm>
#include <cmath>

namespace kora {

namespace {

struct Hsl {
    double hue = 0; // 0..1
    double saturation = 0;
    double lightness = 0;
};

double Channel(Colour colour, int shift) {
    return ((colour >> shift) & 0xFF) / 255.0;
}

Hsl ToHsl(Colour colour) {
    const double r = Channel(colour, 0), g = Channel(colour, 8), b = Channel(colour, 16);
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    Hsl hsl;
    hsl.lightness = (high + low) / 2;
    const double range = high - low;
    if (range == 0) return hsl;
    hsl.saturation = range / (1 - std::fabs(2 * hsl.lightness - 1));
    if (high == r)
        hsl.hue = std::fmod((g - b) / range + 6, 6) / 6;
    else if (high == g)
        hsl.hue = ((b - r) / range + 2) / 6;
    else
        hsl.hue = ((r - g) / range + 4) / 6;
    return hsl;
}

double HueToChannel(double p, double q, double t) {
    t -= std::floor(t);
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

Colour ToColour(const Hsl& hsl) {
    const double l = hsl.lightness, s = hsl.saturation;
    const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    const double p = 2 * l - q;
    const auto byte = [](double v) {
        return static_cast<Colour>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    return byte(HueToChannel(p, q, hsl.hue + 1.0 / 3)) | byte(HueToChannel(p, q, hsl.hue)) << 8 |
           byte(HueToChannel(p, q, hsl.hue - 1.0 / 3)) << 16;
}

} // namespace

std::vector<Colour> SpreadBrightness(Colour clicked, size_t count, bool increasing) {
    Hsl hsl = ToHsl(clicked);
    const double n = static_cast<double>(count + 1);
    std::vector<Colour> colours;
    colours.reserve(count);
    for (size_t i = 1; i <= count; ++i) {
        hsl.lightness = increasing ? i / n : 1 - i / n;
        colours.push_back(ToColour(hsl));
    }
    return colours;
}

} // namespace kora

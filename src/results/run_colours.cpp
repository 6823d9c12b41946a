#include "run_colours.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kora {

namespace {

// Anchors of the ramp (red, green, blue), evenly spaced over 0..1.
constexpr std::array<std::array<double, 3>, 9> kRamp{{{0.267, 0.005, 0.329},
                                                      {0.283, 0.141, 0.458},
                                                      {0.254, 0.265, 0.530},
                                                      {0.207, 0.372, 0.553},
                                                      {0.164, 0.471, 0.558},
                                                      {0.128, 0.567, 0.551},
                                                      {0.135, 0.659, 0.518},
                                                      {0.478, 0.821, 0.318},
                                                      {0.993, 0.906, 0.144}}};
// The share of the ramp a run may use at the background's end.
constexpr double kRampReach = 0.85;
// Below this contrast ratio a line is lost on its background.
constexpr double kLeastContrast = 1.6;

Colour FromRgb(double red, double green, double blue) {
    auto byte = [](double v) {
        return static_cast<Colour>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    return byte(red) | (byte(green) << 8) | (byte(blue) << 16);
}

double Channel(Colour colour, int shift) {
    return ((colour >> shift) & 0xFF) / 255.0;
}

double Linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(Colour c) {
    return 0.2126 * Linear(Channel(c, 0)) + 0.7152 * Linear(Channel(c, 8)) +
           0.0722 * Linear(Channel(c, 16));
}

Colour Blend(Colour from, Colour to, double share) {
    auto mix = [&](int shift) {
        return Channel(from, shift) * (1 - share) + Channel(to, shift) * share;
    };
    return FromRgb(mix(0), mix(8), mix(16));
}

} // namespace

bool RunsToldApart(const ResultsSet& set) {
    return set.runColours && set.timeCourses.size() > 1;
}

std::string RunName(const ResultsSet& set, size_t position) {
    if (position < set.timeCourses.size() && !set.timeCourses[position].runLabel.empty())
        return set.timeCourses[position].runLabel;
    return "run " + std::to_string(position + 1);
}

Colour RampColour(double t) {
    t = std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0) * (kRamp.size() - 1);
    const size_t low = std::min(static_cast<size_t>(t), kRamp.size() - 2);
    const double share = t - low;
    const auto& a = kRamp[low];
    const auto& b = kRamp[low + 1];
    return FromRgb(a[0] + (b[0] - a[0]) * share, a[1] + (b[1] - a[1]) * share,
                   a[2] + (b[2] - a[2]) * share);
}

Colour RunColour(size_t position, size_t count, bool darkBackground) {
    const double t = count > 1 ? static_cast<double>(position) / (count - 1) : 0;
    return RampColour(darkBackground ? 1 - kRampReach + kRampReach * t : kRampReach * t);
}

double ContrastRatio(Colour a, Colour b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Colour Distinguishable(Colour line, Colour background, Colour foreground) {
    line &= 0xFFFFFF;
    for (int step = 1; step <= 10 && ContrastRatio(line, background) < kLeastContrast; ++step)
        line = Blend(line, foreground, 0.1 * step);
    return line;
}

} // namespace kora

#include "axis_ticks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace kora {

namespace {

// Ticks this close (in steps) to an end still count as inside.
constexpr double kEndSlack = 1e-9;
constexpr int kMostTicks = 200;
constexpr double kSmallestPlain = 1e-4;
constexpr double kLargestPlain = 1e6;

const std::array<const char*, 10> kSuperscriptDigits{"⁰", "¹", "²", "³", "⁴",
                                                     "⁵", "⁶", "⁷", "⁸", "⁹"};

std::string Printed(const char* format, int digits, double value) {
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), format, digits, value);
    return text.data();
}

// "2.50e-07" becomes "2.5e-07", "1.00e+08" becomes "1e+08".
std::string WithoutTrailingZeros(std::string text) {
    const size_t e = text.find('e');
    std::string mantissa = text.substr(0, e);
    const std::string exponent = e == std::string::npos ? "" : text.substr(e);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0')
            mantissa.pop_back();
        if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
    }
    return mantissa + exponent;
}

double Tolerance(double step) {
    return std::fabs(step) * kEndSlack;
}

} // namespace

double NiceStep(double span, int target) {
    span = std::fabs(span);
    if (!(span > 0) || !std::isfinite(span)) return 1;
    const double rough = span / std::max(target, 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / power;
    const double nice = fraction <= 1.5 ? 1 : fraction <= 3.5 ? 2 : fraction <= 7.5 ? 5 : 10;
    return nice * power;
}

std::vector<AxisTick> LinearTicks(double start, double end, int target) {
    std::vector<AxisTick> ticks;
    const double low = std::min(start, end);
    const double high = std::max(start, end);
    if (!std::isfinite(low) || !std::isfinite(high) || !(high > low)) return ticks;
    double step = NiceStep(high - low, target);
    while ((high - low) / step > kMostTicks)
        step *= 10;
    const double leading = step / std::pow(10.0, std::floor(std::log10(step)) + 1e-12);
    const int minorPerStep = std::lround(leading) == 2 ? 4 : 5;
    const double minorStep = step / minorPerStep;
    const double tolerance = Tolerance(minorStep);
    const double first = std::ceil((low - tolerance) / minorStep);
    const double last = std::floor((high + tolerance) / minorStep);
    // Far from zero a short range has too few doubles to step through.
    const double count = last - first + 1;
    if (!(count >= 1 && count <= kMostTicks * 5.0) || first + 1 == first) return ticks;
    for (int k = 0; k < static_cast<int>(count); ++k) {
        const double i = first + k;
        double value = i * minorStep;
        if (std::fabs(value) < tolerance) value = 0;
        const bool major = std::fmod(std::fabs(i), minorPerStep) == 0;
        ticks.push_back({value, major, major ? TickLabel(value, step) : std::string()});
    }
    return ticks;
}

std::vector<AxisTick> LogTicks(double start, double end, int target) {
    std::vector<AxisTick> ticks;
    const double low = std::min(start, end);
    const double high = std::max(start, end);
    if (!(low > 0) || !std::isfinite(high) || !(high > low)) return ticks;
    const double lowExp = std::log10(low);
    const double highExp = std::log10(high);
    const int firstDecade = static_cast<int>(std::floor(lowExp + kEndSlack));
    const int lastDecade = static_cast<int>(std::floor(highExp + kEndSlack));
    const int decades = lastDecade - firstDecade + 1;
    const int every = std::max(1, (decades + std::max(target, 1) - 1) / std::max(target, 1));
    const bool labelMinors = highExp - lowExp < 2;
    const bool denseMinors = decades <= 2 * std::max(target, 1);
    for (int d = firstDecade; d <= lastDecade; ++d) {
        const double decade = std::pow(10.0, d);
        for (int m = 1; m <= 9; ++m) {
            if (m > 1 && !denseMinors) break;
            const double value = m * decade;
            if (value < low * (1 - kEndSlack) || value > high * (1 + kEndSlack)) continue;
            AxisTick tick;
            tick.value = value;
            tick.major = m == 1 && (d - firstDecade) % every == 0;
            if (tick.major)
                tick.label = PowerOfTenLabel(d);
            else if (labelMinors)
                tick.label = TickLabel(value, decade);
            ticks.push_back(tick);
        }
    }
    return ticks;
}

std::string TickLabel(double value, double step) {
    if (value == 0) return "0";
    const double magnitude = std::max(std::fabs(value), std::fabs(step));
    if (magnitude >= kLargestPlain || magnitude < kSmallestPlain) {
        // Enough mantissa digits to tell neighbouring ticks apart.
        const int digits = std::clamp(static_cast<int>(std::floor(std::log10(std::fabs(value)))) -
                                          static_cast<int>(std::floor(std::log10(step))),
                                      0, 15);
        return WithoutTrailingZeros(Printed("%.*e", digits, value));
    }
    const int decimals = std::clamp(-static_cast<int>(std::floor(std::log10(step) + 1e-9)), 0, 15);
    return Printed("%.*f", decimals, value);
}

std::string PowerOfTenLabel(int exponent) {
    std::string text = "10";
    if (exponent < 0) text += "⁻";
    const std::string digits = std::to_string(std::abs(exponent));
    for (char digit : digits)
        text += kSuperscriptDigits[static_cast<size_t>(digit - '0')];
    return text;
}

} // namespace kora

#include "parameter_scale.h"

#include <algorithm>
#include <cmath>

namespace kora {

namespace {

// How far inside a bound a start is put, as a part of the bounded span (or
// absolutely on a one-sided bound).
constexpr double kInside = 1e-6;
// A value within this part of the span from a bound is reported at the bound.
constexpr double kAtBound = 1e-7;

double ToSearch(double value, bool logScale) {
    return logScale ? std::log(value) : value;
}

} // namespace

ParameterScale::ParameterScale(double low, double high, bool logScale)
    : low_(low), high_(high), log_(logScale) {
    a_ = logScale ? (low > 0.0 ? std::log(low) : -kUnbounded) : low;
    b_ = logScale ? (high < kUnbounded ? std::log(high) : kUnbounded) : high;
}

double ParameterScale::ValueOf(double u) const {
    double s = u;
    if (std::isfinite(a_) && std::isfinite(b_))
        s = a_ + (b_ - a_) * (1.0 + std::sin(u)) / 2.0;
    else if (std::isfinite(a_))
        s = a_ - 1.0 + std::sqrt(u * u + 1.0);
    else if (std::isfinite(b_))
        s = b_ + 1.0 - std::sqrt(u * u + 1.0);
    return log_ ? std::exp(s) : s;
}

double ParameterScale::Clamp(double value) const {
    if (log_ && !(value > 0.0)) value = std::isfinite(low_) && low_ > 0.0 ? low_ : 1e-300;
    double s = ToSearch(value, log_);
    if (std::isfinite(a_) && std::isfinite(b_)) {
        const double margin = kInside * (b_ - a_);
        s = std::clamp(s, a_ + margin, b_ - margin);
    } else if (std::isfinite(a_)) {
        s = std::max(s, a_ + kInside);
    } else if (std::isfinite(b_)) {
        s = std::min(s, b_ - kInside);
    }
    return log_ ? std::exp(s) : s;
}

double ParameterScale::InternalOf(double value) const {
    const double s = ToSearch(Clamp(value), log_);
    if (std::isfinite(a_) && std::isfinite(b_))
        return std::asin(std::clamp(2.0 * (s - a_) / (b_ - a_) - 1.0, -1.0, 1.0));
    if (std::isfinite(a_)) return std::sqrt(std::max(0.0, (s - a_ + 1.0) * (s - a_ + 1.0) - 1.0));
    if (std::isfinite(b_)) return std::sqrt(std::max(0.0, (b_ - s + 1.0) * (b_ - s + 1.0) - 1.0));
    return s;
}

bool ParameterScale::NearBound(double value) const {
    if (log_ && !(value > 0.0)) return true;
    const double s = ToSearch(value, log_);
    const double span = std::isfinite(a_) && std::isfinite(b_) ? b_ - a_ : 1.0;
    return (std::isfinite(a_) && s - a_ <= kAtBound * span) ||
           (std::isfinite(b_) && b_ - s <= kAtBound * span);
}

} // namespace kora

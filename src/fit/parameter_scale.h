// The bounds of a fitted parameter kept by transformation: the search moves an
// unbounded internal coordinate u, and the value is a smooth function of u
// that cannot leave the bounds. On a log scale the bounds and the function
// apply to ln(value).
//   both bounds:  s = a + (b - a) (1 + sin u) / 2
//   low only:     s = a - 1 + sqrt(u^2 + 1)
//   high only:    s = b + 1 - sqrt(u^2 + 1)
//   none:         s = u
#pragma once

#include "fit_problem.h"

namespace kora {

class ParameterScale {
public:
    ParameterScale() = default;
    ParameterScale(double low, double high, bool logScale);

    double ValueOf(double internal) const;
    // The internal coordinate of a value; a value on or beyond a bound is
    // moved just inside it, where the transformation still has a slope.
    double InternalOf(double value) const;
    // The value moved inside the bounds (and above 0 on a log scale).
    double Clamp(double value) const;
    bool NearBound(double value) const;

    // The value itself is searched: no bound, linear scale.
    bool Plain() const { return !log_ && !(a_ > -kUnbounded) && !(b_ < kUnbounded); }
    double low() const { return low_; }
    double high() const { return high_; }
    bool logScale() const { return log_; }

private:
    double low_ = -kUnbounded, high_ = kUnbounded;
    double a_ = -kUnbounded, b_ = kUnbounded; // the bounds on the searched scale
    bool log_ = false;
};

} // namespace kora

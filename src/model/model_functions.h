// The model's mathematical functions and the power function, with the checks
// that turn domain errors, singularities, overflow, underflow and total loss
// of significance into a MathErrorRecord. A failing function records itself
// and yields 1.0, so that the surrounding evaluation can carry on to its check.
#pragma once

#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "math_error.h"

namespace kora {

// One-argument functions, numbered 1 to kFunctionCount; the number is also
// the function's code word.
inline constexpr int kFunctionCount = 35;
inline constexpr int kFunctionSqrt = 7;
inline constexpr int kFunctionLog = 8;
inline constexpr int kFunctionRand = 10;
inline constexpr int kFunctionFlag = 9;

// Functions that take several arguments or choose between them. The compiler
// lays them out as words of their own, so they are numbered apart.
inline constexpr int kFunctionAnd = 101;
inline constexpr int kFunctionOr = 102;
inline constexpr int kFunctionXor = 103;
inline constexpr int kFunctionNot = 104;
inline constexpr int kFunctionIf = 105;
inline constexpr int kFunctionPiecewise = 106;
inline constexpr int kFunctionImplies = 107;
inline constexpr int kFunctionMin = 108;
inline constexpr int kFunctionMax = 109;
inline constexpr int kFunctionQuotient = 110;
inline constexpr int kFunctionRem = 111;
inline constexpr int kFunctionRoot = 112;
inline constexpr int kFunctionFirstSpecial = kFunctionAnd;
inline constexpr int kFunctionLastSpecial = kFunctionRoot;

// Model name of function `number`, or "" for a number that names none.
const char* FunctionName(int number);
// Function number of `name`, or 0.
int FunctionNumber(const char* name, size_t length);

// Uniform numbers in [0, 1) for rand[x]. A counter-based hash of (seed, draw
// index): the only state is one atomic counter, so a model may be evaluated
// from several threads, and a build restarts the sequence, so runs repeat.
class RandomSource {
public:
    RandomSource() = default;
    RandomSource(const RandomSource& other) : draws_(other.draws_.load()) {}
    RandomSource& operator=(const RandomSource& other) {
        draws_.store(other.draws_.load());
        return *this;
    }

    void Restart() { draws_.store(0, std::memory_order_relaxed); }
    double Next() const;

private:
    mutable std::atomic<uint64_t> draws_{0};
};

// Function `number` of x. On a mathematical error the record is filled,
// `failed` is set and 1.0 is returned.
double CallFunction(int number, double x, const RandomSource& random, bool& failed);

// The two-argument function of code word `word` (kWordMin ... kWordLogBase)
// of a and b, with the same convention.
double CallBinaryFunction(int32_t word, double a, double b, bool& failed);

double PowerSlowPath(double base, double exponent, bool& failed);

// The power of a positive base. The kinetic orders 1, 2 and 1/2 are common
// enough to take the correctly rounded operation the library's pow only
// comes within half a unit of, at a fraction of its cost.
inline double PositivePower(double base, double exponent) {
    if (exponent == 0.5) return std::sqrt(base);
    if (exponent == 1.0) return base;
    if (exponent == 2.0) return base * base;
    return std::pow(base, exponent);
}

// base ^ exponent with the same convention. The common case (positive base,
// normal result) stays inline for the evaluator.
inline double CheckedPower(double base, double exponent, bool& failed) {
    if (base > 0.0) {
        double result = PositivePower(base, exponent);
        if (result < DBL_MAX && result >= DBL_MIN) return result;
    }
    return PowerSlowPath(base, exponent, failed);
}

} // namespace kora

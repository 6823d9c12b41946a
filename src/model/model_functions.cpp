#include "model_functions.h"

#include <array>
#include <cstring>

namespace kora {
namespace {

constexpr std::array<const char*, kFunctionCount + 1> kNames{
    "", "abs", "atan", "cos", "exp", "ln", "sin", "sqrt", "log", "flag", "rand", "floor"};

constexpr std::array<const char*, kFunctionLastSpecial - kFunctionFirstSpecial + 1> kSpecialNames{
    "and", "or", "xor", "not", "if", "piecewise"};

bool SameName(const char* known, const char* name, size_t length) {
    return std::strlen(known) == length && std::memcmp(known, name, length) == 0;
}

// Beyond this magnitude an argument of sin or cos has no significant digits
// left for the period, and the result means nothing.
constexpr double kTrigLossLimit = 9.223372036854775807e18;

double Fail(MathErrorKind kind, const char* function, double arg1, double arg2, int argCount,
            bool& failed) {
    MathErrorRecord& record = CurrentMathError();
    record.kind = kind;
    record.function = function;
    record.arg1 = arg1;
    record.arg2 = arg2;
    record.argCount = argCount;
    failed = true;
    return 1.0;
}

double Fail1(MathErrorKind kind, int number, double x, bool& failed) {
    return Fail(kind, kNames[number], x, 0.0, 1, failed);
}

double Logarithm(int number, double x, bool& failed) {
    if (x < 0.0) return Fail1(MathErrorKind::Domain, number, x, failed);
    if (x == 0.0) return Fail1(MathErrorKind::Singularity, number, x, failed);
    return number == 5 ? std::log(x) : std::log10(x);
}

double Exponential(double x, bool& failed) {
    double result = std::exp(x);
    if (std::isinf(result)) return Fail1(MathErrorKind::Overflow, 4, x, failed);
    if (result < DBL_MIN) return Fail1(MathErrorKind::Underflow, 4, x, failed);
    return result;
}

double Trigonometric(int number, double x, bool& failed) {
    if (std::fabs(x) > kTrigLossLimit) return Fail1(MathErrorKind::TotalLoss, number, x, failed);
    return number == 3 ? std::cos(x) : std::sin(x);
}

// splitmix64 finaliser: a good 64-bit mix of a counter.
uint64_t Mix(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

constexpr uint64_t kSeed = 0x4b4f5241u; // fixed: every build repeats the same sequence

} // namespace

const char* FunctionName(int number) {
    if (number >= kFunctionFirstSpecial && number <= kFunctionLastSpecial)
        return kSpecialNames[static_cast<size_t>(number - kFunctionFirstSpecial)];
    if (number < 1 || number > kFunctionCount) return "";
    return kNames[number];
}

int FunctionNumber(const char* name, size_t length) {
    for (int number = 1; number <= kFunctionCount; ++number)
        if (SameName(kNames[number], name, length)) return number;
    for (int number = kFunctionFirstSpecial; number <= kFunctionLastSpecial; ++number)
        if (SameName(kSpecialNames[static_cast<size_t>(number - kFunctionFirstSpecial)], name,
                     length))
            return number;
    return 0;
}

double RandomSource::Next() const {
    uint64_t index = draws_.fetch_add(1, std::memory_order_relaxed);
    uint64_t bits = Mix(kSeed + 0x9e3779b97f4a7c15ULL * (index + 1));
    return static_cast<double>(bits >> 11) * 0x1.0p-53;
}

double CallFunction(int number, double x, const RandomSource& random, bool& failed) {
    switch (number) {
    case 1:
        return std::fabs(x);
    case 2:
        return std::atan(x);
    case 3:
    case 6:
        return Trigonometric(number, x, failed);
    case 4:
        return Exponential(x, failed);
    case 5:
    case 8:
        return Logarithm(number, x, failed);
    case 7:
        return x < 0.0 ? Fail1(MathErrorKind::Domain, number, x, failed) : std::sqrt(x);
    case 9:
        return x <= 0.0 ? 0.0 : 1.0;
    case 10:
        return x * random.Next();
    case 11:
        return std::floor(x);
    default:
        return x;
    }
}

double PowerSlowPath(double base, double exponent, bool& failed) {
    if (std::isnan(base) || std::isnan(exponent)) return std::pow(base, exponent);
    if (base < 0.0 && std::isfinite(exponent) && std::floor(exponent) != exponent)
        return Fail(MathErrorKind::Domain, "pow", base, exponent, 2, failed);
    if (base == 0.0 && exponent < 0.0)
        return Fail(MathErrorKind::Singularity, "pow", base, exponent, 2, failed);
    double result = std::pow(base, exponent);
    double magnitude = std::fabs(result);
    if (std::isinf(result) && std::isfinite(base) && std::isfinite(exponent))
        return Fail(MathErrorKind::Overflow, "pow", base, exponent, 2, failed);
    if (magnitude < DBL_MIN && base != 0.0 && std::isfinite(base))
        return Fail(MathErrorKind::Underflow, "pow", base, exponent, 2, failed);
    return result;
}

} // namespace kora

#include "model_functions.h"

#include <array>
#include <cstring>

#include "postfix_words.h"

namespace kora {
namespace {

constexpr std::array<const char*, kFunctionCount + 1> kNames{
    "",        "abs",     "atan",      "cos",    "exp",     "ln",      "sin",     "sqrt",
    "log",     "flag",    "rand",      "floor",  "tan",     "sec",     "csc",     "cot",
    "sinh",    "cosh",    "tanh",      "sech",   "csch",    "coth",    "arcsin",  "arccos",
    "arctan",  "arcsec",  "arccsc",    "arccot", "arcsinh", "arccosh", "arctanh", "arcsech",
    "arccsch", "arccoth", "factorial", "ceiling"};

enum Unary {
    kTan = 12,
    kSec,
    kCsc,
    kCot,
    kSinh,
    kCosh,
    kTanh,
    kSech,
    kCsch,
    kCoth,
    kArcsin,
    kArccos,
    kArctan,
    kArcsec,
    kArccsc,
    kArccot,
    kArcsinh,
    kArccosh,
    kArctanh,
    kArcsech,
    kArccsch,
    kArccoth,
    kFactorial,
    kCeiling,
};
static_assert(kCeiling == kFunctionCount);

constexpr std::array<const char*, kFunctionLastSpecial - kFunctionFirstSpecial + 1> kSpecialNames{
    "and",     "or",  "xor", "not",      "if",  "piecewise",
    "implies", "min", "max", "quotient", "rem", "root"};

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
    switch (number) {
    case 3:
        return std::cos(x);
    case kTan:
        return std::tan(x);
    case kSec:
        return 1.0 / std::cos(x); // cos is never exactly 0 at a double
    case kCsc:
    case kCot:
        if (x == 0.0) return Fail1(MathErrorKind::Singularity, number, x, failed);
        return number == kCsc ? 1.0 / std::sin(x) : std::cos(x) / std::sin(x);
    default:
        return std::sin(x);
    }
}

// A result that became 0 or subnormal from a nonzero exact value.
double Small(int number, double x, double result, bool& failed) {
    if (result != 0.0 && std::fabs(result) >= DBL_MIN) return result;
    return Fail1(MathErrorKind::Underflow, number, x, failed);
}

double Hyperbolic(int number, double x, bool& failed) {
    switch (number) {
    case kSinh:
    case kCosh: {
        const double result = number == kSinh ? std::sinh(x) : std::cosh(x);
        if (std::isinf(result)) return Fail1(MathErrorKind::Overflow, number, x, failed);
        return result;
    }
    case kTanh:
        return std::tanh(x);
    case kSech:
        return Small(number, x, 1.0 / std::cosh(x), failed);
    case kCsch:
        if (x == 0.0) return Fail1(MathErrorKind::Singularity, number, x, failed);
        return Small(number, x, 1.0 / std::sinh(x), failed);
    default: // coth
        if (x == 0.0) return Fail1(MathErrorKind::Singularity, number, x, failed);
        return 1.0 / std::tanh(x);
    }
}

// The inverse functions; arcsec, arccsc and arccot are those of 1/x, as
// SBML's evaluators take them (arccot of a negative number is negative).
double Inverse(int number, double x, bool& failed) {
    const auto domain = [&] { return Fail1(MathErrorKind::Domain, number, x, failed); };
    const auto singular = [&] { return Fail1(MathErrorKind::Singularity, number, x, failed); };
    const double a = std::fabs(x);
    switch (number) {
    case kArcsin:
        return a > 1.0 ? domain() : std::asin(x);
    case kArccos:
        return a > 1.0 ? domain() : std::acos(x);
    case kArctan:
        return std::atan(x);
    case kArcsec:
        return a < 1.0 ? domain() : std::acos(1.0 / x);
    case kArccsc:
        return a < 1.0 ? domain() : std::asin(1.0 / x);
    case kArccot:
        return x == 0.0 ? std::acos(0.0) : std::atan(1.0 / x);
    case kArcsinh:
        return std::asinh(x);
    case kArccosh:
        return x < 1.0 ? domain() : std::acosh(x);
    case kArctanh:
        return a > 1.0 ? domain() : a == 1.0 ? singular() : std::atanh(x);
    case kArcsech:
        return x == 0.0 ? singular() : x < 0.0 || x > 1.0 ? domain() : std::acosh(1.0 / x);
    case kArccsch:
        return x == 0.0 ? singular() : std::asinh(1.0 / x);
    default: // arccoth
        return a < 1.0 ? domain() : a == 1.0 ? singular() : std::atanh(1.0 / x);
    }
}

// n! for a whole n >= 0; 171! and beyond overflow.
double Factorial(double x, bool& failed) {
    if (x < 0.0 || std::floor(x) != x) return Fail1(MathErrorKind::Domain, kFactorial, x, failed);
    if (x > 170.0) return Fail1(MathErrorKind::Overflow, kFactorial, x, failed);
    double result = 1.0;
    for (int k = 2; k <= static_cast<int>(x); ++k)
        result *= k;
    return result;
}

double Fail2(MathErrorKind kind, int function, double a, double b, bool& failed) {
    return Fail(kind, kSpecialNames[static_cast<size_t>(function - kFunctionFirstSpecial)], a, b, 2,
                failed);
}

// The real n-th root: of a negative x only for an odd whole n.
double Root(double n, double x, bool& failed) {
    const bool odd = std::floor(n) == n && std::fmod(std::fabs(n), 2.0) == 1.0;
    if (n == 0.0 || (x < 0.0 && !odd))
        return Fail2(MathErrorKind::Domain, kFunctionRoot, n, x, failed);
    if (x == 0.0 && n < 0.0) return Fail2(MathErrorKind::Singularity, kFunctionRoot, n, x, failed);
    const double magnitude = std::pow(std::fabs(x), 1.0 / n);
    return x < 0.0 ? -magnitude : magnitude;
}

double LogarithmToBase(double base, double x, bool& failed) {
    if (base <= 0.0 || base == 1.0 || x < 0.0)
        return Fail(MathErrorKind::Domain, kNames[kFunctionLog], base, x, 2, failed);
    if (x == 0.0) return Fail(MathErrorKind::Singularity, kNames[kFunctionLog], base, x, 2, failed);
    return std::log(x) / std::log(base);
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
    case kTan:
    case kSec:
    case kCsc:
    case kCot:
        return Trigonometric(number, x, failed);
    case kFactorial:
        return Factorial(x, failed);
    case kCeiling:
        return std::ceil(x);
    default:
        if (number >= kSinh && number <= kCoth) return Hyperbolic(number, x, failed);
        if (number >= kArcsin && number <= kArccoth) return Inverse(number, x, failed);
        return x;
    }
}

double CallBinaryFunction(int32_t word, double a, double b, bool& failed) {
    switch (word) {
    case kWordMin:
        return b < a ? b : a;
    case kWordMax:
        return b > a ? b : a;
    case kWordQuotient:
    case kWordRem: {
        const int function = word == kWordQuotient ? kFunctionQuotient : kFunctionRem;
        if (b == 0.0) return Fail2(MathErrorKind::Singularity, function, a, b, failed);
        return word == kWordQuotient ? std::trunc(a / b) : std::fmod(a, b);
    }
    case kWordRoot:
        return Root(a, b, failed);
    case kWordLogBase:
        return LogarithmToBase(a, b, failed);
    default:
        return a;
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

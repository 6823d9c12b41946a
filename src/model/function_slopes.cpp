#include "function_slopes.h"

#include <cmath>
#include <numbers>

#include "model_functions.h"
#include "postfix_words.h"

namespace kora {
namespace {

double Trigonometric(int number, double x, double fx) {
    switch (number) {
    case 3: // cos
        return -std::sin(x);
    case 6: // sin
        return std::cos(x);
    case 12: // tan
        return 1.0 + fx * fx;
    case 13: // sec
        return fx * std::tan(x);
    case 14: // csc
        return -fx * std::cos(x) / std::sin(x);
    default: // cot
        return -(1.0 + fx * fx);
    }
}

double Hyperbolic(int number, double x, double fx) {
    switch (number) {
    case 16: // sinh
        return std::cosh(x);
    case 17: // cosh
        return std::sinh(x);
    case 18: // tanh
    case 21: // coth
        return 1.0 - fx * fx;
    case 19: // sech
        return -fx * std::tanh(x);
    default: // csch
        return -fx / std::tanh(x);
    }
}

double Inverse(int number, double x) {
    const double a = std::fabs(x);
    switch (number) {
    case 22: // arcsin
        return 1.0 / std::sqrt(1.0 - x * x);
    case 23: // arccos
        return -1.0 / std::sqrt(1.0 - x * x);
    case 24: // arctan
        return 1.0 / (1.0 + x * x);
    case 25: // arcsec
        return 1.0 / (a * std::sqrt(x * x - 1.0));
    case 26: // arccsc
        return -1.0 / (a * std::sqrt(x * x - 1.0));
    case 27: // arccot
        return -1.0 / (1.0 + x * x);
    case 28: // arcsinh
        return 1.0 / std::sqrt(x * x + 1.0);
    case 29: // arccosh
        return 1.0 / std::sqrt(x * x - 1.0);
    case 30: // arctanh
    case 33: // arccoth
        return 1.0 / (1.0 - x * x);
    case 31: // arcsech
        return -1.0 / (x * std::sqrt(1.0 - x * x));
    default: // arccsch
        return -1.0 / (a * std::sqrt(1.0 + x * x));
    }
}

} // namespace

double FunctionSlope(int number, double x, double fx) {
    switch (number) {
    case 1: // abs
        return x > 0.0 ? 1.0 : x < 0.0 ? -1.0 : 0.0;
    case 2: // atan
        return 1.0 / (1.0 + x * x);
    case 4: // exp
        return fx;
    case 5: // ln
        return 1.0 / x;
    case 7: // sqrt
        return 0.5 / fx;
    case 8: // log
        return 1.0 / (x * std::numbers::ln10);
    case kFunctionFlag:
    case kFunctionRand:
    case 11: // floor
    case 34: // factorial
    case 35: // ceiling
        return 0.0;
    default:
        break;
    }
    if (number == 3 || number == 6 || (number >= 12 && number <= 15))
        return Trigonometric(number, x, fx);
    if (number >= 16 && number <= 21) return Hyperbolic(number, x, fx);
    return Inverse(number, x);
}

double BinarySlope(int32_t word, double a, double b, double value, double da, double db) {
    switch (word) {
    case kWordMin:
        return a <= b ? da : db;
    case kWordMax:
        return a >= b ? da : db;
    case kWordQuotient:
        return 0.0;
    case kWordRem: // a - trunc(a / b) b
        return da - std::trunc(a / b) * db;
    case kWordRoot: // x^(1/n), n = a, x = b
        return value / a * (db / b - std::log(std::fabs(b)) * da / a);
    default: // log[a, b] = ln b / ln a
        return (db / b - value * da / a) / std::log(a);
    }
}

double PowerSlope(double a, double b, double value, double da, double db) {
    double slope = 0.0;
    if (da != 0.0) slope = a != 0.0 ? value * b / a * da : b * std::pow(a, b - 1.0) * da;
    if (db != 0.0) slope += value * std::log(a) * db;
    return slope;
}

} // namespace kora

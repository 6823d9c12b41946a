// Derivatives of the model's functions, for the exact Jacobian.
#pragma once

#include <cstdint>

namespace kora {

// d f(x) / dx of one-argument function `number` at x, where fx = f(x). Step
// functions (flag, floor, ceiling, factorial) have slope 0 between their
// steps; rand[] has none (callers refuse code that draws).
double FunctionSlope(int number, double x, double fx);

// The slope of word(a, b) for code words kWordMin ... kWordLogBase given the
// slopes da and db of its arguments; value = word(a, b).
double BinarySlope(int32_t word, double a, double b, double value, double da, double db);

// The slope of a^b given da and db; value = a^b. With db = 0, the power-law
// closed form b a^(b-1) da.
double PowerSlope(double a, double b, double value, double da, double db);

} // namespace kora

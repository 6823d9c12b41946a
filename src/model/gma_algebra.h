// Sums of power-law terms combined by the operators of the model language.
// Each operation returns 0 or the model error code that stops the compile.
#pragma once

#include "gma_form.h"

namespace kora {

// Expansion beyond this many terms is refused: products of long sums grow
// exponentially, and a short line could otherwise exhaust memory.
inline constexpr size_t kMaxExpandedTerms = 100000;

GMAexpression ConstantExpression(double coefficient);
GMAexpression PositionExpression(uint32_t position);

void NegateExpression(GMAexpression& a);
void AddExpression(GMAexpression& a, const GMAexpression& b, bool subtract);
int MultiplyExpression(GMAexpression& a, const GMAexpression& b);
int DivideExpression(GMAexpression& a, const GMAexpression& b);
// `b` must be one constant term; several terms of `a` need a non-negative
// integer exponent and are multiplied out.
int PowerExpression(GMAexpression& a, const GMAexpression& b);

} // namespace kora

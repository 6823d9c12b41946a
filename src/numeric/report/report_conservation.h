// Texts the steady-state report adds for conservation relations and for the
// stability of the steady state.
#pragma once

#include <cstdint>
#include <string>

#include "model/krm_parser.h"
#include "numeric/ss_conservation.h"

namespace kora {

// "y1 + y2 + y3", "2 ATP + ADP - X", "X1 + 0.2466667 X2": whole numbers as
// such, other coefficients with `precision` significant digits.
std::string RelationText(const ConservationRelation& relation, const KRMparser& model,
                         int precision);

// "Stable steady state", "Unstable steady state (n eigenvalues with positive
// real part)" or "Marginal (eigenvalues on the imaginary axis)" for the
// `count` eigenvalues re[i] + i im[i]. A real part within a small multiple
// of the largest eigenvalue's magnitude of zero counts as on the axis: the
// difference Jacobian cannot tell it from zero.
std::string StabilityVerdict(const double* re, const double* im, uint32_t count);

} // namespace kora

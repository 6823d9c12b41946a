// The exact Jacobian of a built model's derivatives with respect to its
// dependent variables, by forward-mode differentiation of the compiled code:
// each word carries its value and its slope along one direction.
#pragma once

#include <cstdint>
#include <vector>

namespace kora {

class KRMparser;

// A value and its derivative along the direction being differentiated.
struct DualNumber {
    double value = 0.0;
    double slope = 0.0;
};

// Runs compiled code (ending with word 0) on dual numbers: dependent holds
// the values and dependentSlope the direction, auxiliary and auxiliarySlope
// the definitions already computed. Takes the same branches as Evaluate.
// False when a word fails or a slope is not finite (sqrt at 0, say): the
// caller then differences instead. `stack` holds stackDepth entries.
bool EvaluateDual(const KRMparser& model, const int32_t* code, double time, const double* dependent,
                  const double* dependentSlope, const double* auxiliary,
                  const double* auxiliarySlope, const double* constants, DualNumber* stack,
                  DualNumber& result);

// Jacobian-vector products of the model's derivatives; the work arrays are
// sized once, so a product allocates nothing. Only for models whose reads
// DerivativeReads can tell: a rand[] draw would change the sequence.
class ModelJacobian {
public:
    explicit ModelJacobian(const KRMparser& model);

    // jv = J(time, y) v for the derivatives as the model defines them,
    // constants as given. False where EvaluateDual fails.
    bool Times(double time, const double* y, const double* v, const double* constants, double* jv);

private:
    const KRMparser& model_;
    std::vector<double> auxiliary_, auxiliarySlope_;
    std::vector<DualNumber> stack_;
};

} // namespace kora

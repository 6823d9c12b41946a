// Power-law (GMA) forms: a sum of terms, each a coefficient times a product of
// powers of the values at their value positions.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kora {

// Equation types set by the classification.
inline constexpr int32_t kEquationGeneral = 1;
inline constexpr int32_t kEquationSingleTerm = 4;
inline constexpr int32_t kEquationSSystem = 16;

// Classification bits.
inline constexpr unsigned kClassBinary = 2;
inline constexpr unsigned kClassHalfSystem = 4;
inline constexpr unsigned kClassSSystem = 8;
inline constexpr unsigned kClassFullSSystem = 16;

struct GMATerm {
    double coefficient = 0.0;
    // Value position -> kinetic order; never holds an order of exactly 0.
    std::map<uint32_t, double> exponents;

    // Coefficients multiply, kinetic orders of a shared position add.
    void MultiplyBy(const GMATerm& other);
    // Multiplies by the inverse of `other` (its coefficient must not be 0).
    void DivideBy(const GMATerm& other);
    bool IsConstant() const { return exponents.empty(); }
};

struct GMAexpression {
    std::vector<GMATerm> terms;
    int32_t equationType = kEquationGeneral;
};

// One expression per dependent variable, in model order.
struct KRMForm {
    std::vector<GMAexpression> equations;

    void Clear() { equations.clear(); }
    size_t size() const { return equations.size(); }
};

// Merges like terms, drops zero terms, puts positive terms first.
void NormalizeForm(KRMForm& form);
void NormalizeExpression(GMAexpression& expression);

// Normalizes the form, sets every equationType and returns the property bits.
unsigned ClassifyForm(KRMForm& form);

// "System is a ..." for the bits of a form; `isPowerLaw` false gives
// "System is not a PL form".
std::string ClassificationSentence(unsigned bits, bool isPowerLaw);

} // namespace kora

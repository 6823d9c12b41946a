#include "gma_algebra.h"

#include <cmath>
#include <iterator>

#include "math_error.h"
#include "model_functions.h"

namespace kora {
namespace {

constexpr int kCodeInvalidPower = 6;

int PowerErrorCode() {
    const MathErrorRecord& record = CurrentMathError();
    switch (record.kind) {
    case MathErrorKind::Overflow:
        return 12;
    case MathErrorKind::Underflow:
        return 16;
    default:
        return 17;
    }
}

} // namespace

GMAexpression ConstantExpression(double coefficient) {
    GMAexpression expression;
    expression.terms.push_back(GMATerm{coefficient, {}});
    return expression;
}

GMAexpression PositionExpression(uint32_t position) {
    GMAexpression expression;
    expression.terms.push_back(GMATerm{1.0, {{position, 1.0}}});
    return expression;
}

void NegateExpression(GMAexpression& a) {
    for (GMATerm& term : a.terms)
        term.coefficient = -term.coefficient;
}

void AddExpression(GMAexpression& a, const GMAexpression& b, bool subtract) {
    for (GMATerm term : b.terms) {
        if (subtract) term.coefficient = -term.coefficient;
        a.terms.push_back(std::move(term));
    }
}

int MultiplyExpression(GMAexpression& a, const GMAexpression& b) {
    if (a.terms.size() * b.terms.size() > kMaxExpandedTerms) return kCodeInvalidPower;
    std::vector<GMATerm> product;
    product.reserve(a.terms.size() * b.terms.size());
    for (const GMATerm& left : a.terms) {
        for (const GMATerm& right : b.terms) {
            GMATerm term = left;
            term.MultiplyBy(right);
            product.push_back(std::move(term));
        }
    }
    a.terms = std::move(product);
    return 0;
}

int DivideExpression(GMAexpression& a, const GMAexpression& b) {
    if (b.terms.size() != 1) return 4;
    if (b.terms[0].coefficient == 0.0) return 13;
    for (GMATerm& term : a.terms)
        term.DivideBy(b.terms[0]);
    return 0;
}

int PowerExpression(GMAexpression& a, const GMAexpression& b) {
    if (b.terms.size() != 1 || !b.terms[0].IsConstant()) return 5;
    const double exponent = b.terms[0].coefficient;
    if (a.terms.size() == 1) {
        GMATerm& term = a.terms[0];
        bool failed = false;
        term.coefficient = CheckedPower(term.coefficient, exponent, failed);
        if (failed) return PowerErrorCode();
        if (exponent == 0.0) {
            term.exponents.clear();
            return 0;
        }
        for (auto it = term.exponents.begin(); it != term.exponents.end();) {
            it->second *= exponent;
            it = it->second == 0.0 ? term.exponents.erase(it) : std::next(it);
        }
        return 0;
    }
    if (!(exponent >= 0.0) || std::floor(exponent) != exponent) return kCodeInvalidPower;
    GMAexpression base = a;
    a = ConstantExpression(1.0);
    for (double k = 0; k < exponent; ++k) {
        if (int code = MultiplyExpression(a, base)) return code;
    }
    return 0;
}

} // namespace kora

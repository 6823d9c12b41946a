#include "report_conservation.h"

#include <algorithm>
#include <cmath>

#include "report_numbers.h"

namespace kora {
namespace {

// Relative to the largest magnitude: well above the difference Jacobian's
// noise (about 1e-8), well below any decay a model means.
constexpr double kAxisTolerance = 1e-7;

std::string Magnitude(double value, bool wholeNumbers, int precision) {
    if (value == 1.0) return "";
    if (wholeNumbers) return std::to_string(static_cast<long long>(value)) + " ";
    return ReportGeneral(value, precision) + " ";
}

} // namespace

std::string RelationText(const ConservationRelation& relation, const KRMparser& model,
                         int precision) {
    std::string text;
    for (size_t k = 0; k < relation.variable.size(); ++k) {
        const double c = relation.coefficient[k];
        const uint32_t i = relation.variable[k];
        const std::string name =
            i < model.equations.size() ? model.equations[i].name : "X" + std::to_string(i + 1);
        if (k > 0)
            text += c < 0 ? " - " : " + ";
        else if (c < 0)
            text += "-";
        text += Magnitude(std::abs(c), relation.wholeNumbers, precision) + name;
    }
    return text;
}

std::string StabilityVerdict(const double* re, const double* im, uint32_t count) {
    double largest = 0.0;
    for (uint32_t i = 0; i < count; ++i)
        largest = std::max(largest, std::hypot(re[i], im[i]));
    const double tolerance = kAxisTolerance * largest;
    uint32_t positive = 0;
    bool onAxis = false;
    for (uint32_t i = 0; i < count; ++i) {
        if (re[i] > tolerance)
            ++positive;
        else if (re[i] >= -tolerance)
            onAxis = true;
    }
    if (positive > 0)
        return "Unstable steady state (" + std::to_string(positive) +
               (positive == 1 ? " eigenvalue" : " eigenvalues") + " with positive real part)";
    if (onAxis) return "Marginal (eigenvalues on the imaginary axis)";
    return "Stable steady state";
}

} // namespace kora

#include "report_labels.h"

#include <cstdio>

#include "report_numbers.h"
#include "ss_report.h"

namespace kora {
namespace {

std::string Format(const char* pattern, unsigned a, unsigned b = 0, unsigned c = 0) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, pattern, a, b, c);
    return buffer;
}

bool IsSSystem(const GMAexpression& equation) {
    return equation.equationType == kEquationSSystem;
}

std::string VariableName(const KRMparser& model, size_t i) {
    return i < model.equations.size() ? model.equations[i].name : std::string();
}

} // namespace

std::string NameAtValueIndex(const KRMparser& model, size_t valueIndex) {
    for (const Statement& constant : model.constants)
        if (constant.valueIndex != 0 && static_cast<size_t>(constant.valueIndex) == valueIndex)
            return constant.name;
    return {};
}

std::vector<std::string> FluxHeadings(const KRMForm& form, const KRMparser& model) {
    std::vector<std::string> headings;
    for (size_t i = 0; i < form.size(); ++i) {
        const GMAexpression& equation = form.equations[i];
        const std::string name = VariableName(model, i);
        if (IsSSystem(equation)) {
            headings.push_back("V(" + name + ")");
            continue;
        }
        for (size_t k = 0; k < equation.terms.size(); ++k)
            headings.push_back("v(" + name + "," + std::to_string(k + 1) + ")");
    }
    return headings;
}

std::vector<std::string> SensitivityRowLabels(const KRMForm& form, const KRMparser& model,
                                              size_t independentCount) {
    std::vector<std::string> labels;
    const size_t n = form.size();
    for (size_t j = 0; j < independentCount; ++j)
        labels.push_back(NameAtValueIndex(model, n + j));
    for (size_t i = 0; i < n; ++i) {
        const GMAexpression& equation = form.equations[i];
        for (size_t k = 0; k < equation.terms.size(); ++k) {
            const auto e = static_cast<unsigned>(i + 1);
            if (IsSSystem(equation))
                labels.push_back(Format(k == 0 ? "alpha(%u)" : "beta(%u)", e));
            else
                labels.push_back(Format("alpha(%u,%u)", e, static_cast<unsigned>(k + 1)));
        }
    }
    for (size_t i = 0; i < n; ++i) {
        const GMAexpression& equation = form.equations[i];
        for (size_t k = 0; k < equation.terms.size(); ++k) {
            for (const auto& factor : equation.terms[k].exponents) {
                const auto e = static_cast<unsigned>(i + 1);
                const auto p = static_cast<unsigned>(factor.first + 1);
                if (IsSSystem(equation))
                    labels.push_back(Format(k == 0 ? "g(%u,%u)" : "h(%u,%u)", e, p));
                else
                    labels.push_back(Format("g(%u,%u,%u)", e, static_cast<unsigned>(k + 1), p));
            }
        }
    }
    return labels;
}

std::string EquationText(const GMAexpression& equation, size_t variable) {
    std::string text = "X" + std::to_string(variable + 1) + "' = ";
    if (equation.terms.empty()) return text + " 0";
    for (size_t k = 0; k < equation.terms.size(); ++k) {
        const GMATerm& term = equation.terms[k];
        const double c = term.coefficient;
        if (k > 0 && c > 0) text += "+";
        if (term.exponents.empty()) {
            text += ReportGeneral(c, 7) + " ";
            continue;
        }
        if (c == -1.0)
            text += "-";
        else if (c != 1.0)
            text += ReportGeneral(c, 7) + " ";
        for (const auto& [index, order] : term.exponents) {
            const std::string name = "X" + std::to_string(index + 1);
            text += order == 1.0 ? name : "(" + name + "^" + ReportGeneral(order, 7) + ")";
            text += " ";
        }
    }
    return text;
}

} // namespace kora

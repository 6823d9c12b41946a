// The power-law form of a model: building it from the right sides,
// normalising it and classifying the system it describes.
#include "common/general_number.h"
#include "gma_form.h"
#include "krm_parser.h"
#include "postfix_words.h"

namespace kora {
namespace {

constexpr int kCodeInitialNotPositive = 10;
constexpr int kCodeNoEquations = 18;

// Form text is model text: "." in every locale.
std::string GeneralNotation(double value) {
    return GeneralNumber(value, 6);
}

void MergeLikeTerms(std::vector<GMATerm>& terms) {
    for (size_t i = 0; i < terms.size(); ++i) {
        if (terms[i].coefficient == 0.0) continue;
        for (size_t j = i + 1; j < terms.size(); ++j) {
            if (terms[j].exponents != terms[i].exponents) continue;
            terms[i].coefficient += terms[j].coefficient;
            terms[j].coefficient = 0.0;
        }
    }
}

} // namespace

bool KRMparser::BuildForm() {
    if (errorSink != nullptr) errorSink->ClearError();
    if (form == nullptr) return false;
    form->Clear();
    for (const Statement& equation : equations) {
        GMAexpression expression;
        double value = 0.0;
        if (Compile(kModePowerLaw, equation.text, equation.start, value, nullptr, &expression,
                    false) == 0)
            return false;
        // A term with a coefficient of 0 adds nothing but costs every step.
        std::erase_if(expression.terms,
                      [](const GMATerm& term) { return term.coefficient == 0.0; });
        form->equations.push_back(std::move(expression));
        if (equation.value <= 0.0) {
            SetError(kCodeInitialNotPositive,
                     equation.name + " = " + GeneralNotation(equation.value));
            return false;
        }
    }
    if (form->equations.empty()) {
        SetError(kCodeNoEquations, "");
        return false;
    }
    return true;
}

void NormalizeExpression(GMAexpression& expression) {
    std::vector<GMATerm>& terms = expression.terms;
    MergeLikeTerms(terms);
    std::vector<GMATerm> ordered;
    ordered.reserve(terms.size());
    for (GMATerm& term : terms)
        if (term.coefficient > 0.0) ordered.push_back(std::move(term));
    for (GMATerm& term : terms)
        if (term.coefficient < 0.0) ordered.push_back(std::move(term));
    terms = std::move(ordered);
}

void NormalizeForm(KRMForm& form) {
    for (GMAexpression& expression : form.equations)
        NormalizeExpression(expression);
}

unsigned ClassifyForm(KRMForm& form) {
    unsigned bits = kClassBinary | kClassHalfSystem | kClassSSystem | kClassFullSSystem;
    NormalizeForm(form);
    if (form.equations.empty()) return 0;
    for (GMAexpression& expression : form.equations) {
        expression.equationType = kEquationGeneral;
        if (expression.terms.size() == 1)
            expression.equationType = kEquationSingleTerm;
        else
            bits &= ~kClassHalfSystem;
        size_t positive = 0;
        size_t other = 0;
        for (const GMATerm& term : expression.terms) {
            if (term.coefficient > 0.0)
                ++positive;
            else
                ++other;
            for (const auto& entry : term.exponents)
                if (entry.second != 1.0) bits &= ~kClassBinary;
        }
        if (positive > 1 || other > 1) bits &= ~kClassSSystem;
        if (positive == 1 && other == 1)
            expression.equationType = kEquationSSystem;
        else
            bits &= ~kClassFullSSystem;
    }
    return bits;
}

std::string ClassificationSentence(unsigned bits, bool isPowerLaw) {
    if (!isPowerLaw) return "System is not a PL form";
    std::string sentence = "System is a ";
    if (bits & kClassBinary) sentence += "binary ";
    if (bits & kClassHalfSystem)
        sentence += "half system.";
    else if (bits & kClassFullSSystem)
        sentence += "full S-system.";
    else if (bits & kClassSSystem)
        sentence += "S-system.";
    else
        sentence += "GMA.";
    return sentence;
}

} // namespace kora

// Compiles the exponents of a power-law form's terms, in logarithmic
// coordinates, into flat instruction lists so that a Taylor step evaluates
// every term's linear form without walking maps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "model/gma_form.h"

namespace kora {

// slot <- coefficient * y[index] (a load) or slot += coefficient * y[index].
struct LinearInstruction {
    int32_t slot;
    int32_t index;
    double coefficient;
};

// How one term of the form enters the log-coordinate equations: after
// dividing by its own variable, either a constant or exp(linear form).
struct TermPlan {
    uint32_t equation = 0;
    const GMATerm* term = nullptr;
    int32_t slot = -1; // the exponential term's slot; -1 for a constant term
};

class KRMForm_compactor {
public:
    using LinearForm = std::vector<std::pair<uint32_t, double>>; // ascending index

    // Classifies every term of `form` (n = its number of equations) and
    // collects the linear form of each exponential term.
    explicit KRMForm_compactor(const KRMForm& form);

    size_t FormCount() const { return forms.size(); }
    size_t AddCount() const;

    // Fills FormCount() loads and AddCount() multiply-adds. All loads come
    // first, so every slot is written before it is accumulated.
    void Compile(LinearInstruction* loads, LinearInstruction* adds) const;

    uint32_t n = 0;
    std::vector<TermPlan> plans; // every term, equation order then term order
    std::vector<LinearForm> forms;
};

// Evaluates every compiled linear form on `y` into `slots`.
inline void EvaluateLinearForms(const LinearInstruction* loads, size_t loadCount,
                                const LinearInstruction* adds, size_t addCount, const double* y,
                                double* slots) {
    for (size_t k = 0; k < loadCount; ++k)
        slots[loads[k].slot] = loads[k].coefficient * y[loads[k].index];
    for (size_t k = 0; k < addCount; ++k)
        slots[adds[k].slot] += adds[k].coefficient * y[adds[k].index];
}

} // namespace kora

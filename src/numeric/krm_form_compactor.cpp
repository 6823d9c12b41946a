#include "krm_form_compactor.h"

#include <algorithm>
#include <cassert>

namespace kora {

KRMForm_compactor::KRMForm_compactor(const KRMForm& form) : n(static_cast<uint32_t>(form.size())) {
    for (uint32_t i = 0; i < n; ++i) {
        for (const GMATerm& term : form.equations[i].terms) {
            // Dividing by X_i turns dX_i/dt into d ln|X_i|/dt; the exponents on
            // independent positions fold into the coefficient.
            LinearForm linear;
            bool sawOwn = false;
            for (const auto& [index, exponent] : term.exponents) {
                if (index >= n) break;
                double e = exponent;
                if (index == i) {
                    sawOwn = true;
                    e -= 1.0;
                }
                if (e != 0.0) linear.emplace_back(index, e);
            }
            if (!sawOwn) {
                linear.emplace_back(i, -1.0);
                std::sort(linear.begin(), linear.end());
            }
            TermPlan plan{i, &term, -1};
            if (!linear.empty()) {
                plan.slot = static_cast<int32_t>(forms.size());
                forms.push_back(std::move(linear));
            }
            plans.push_back(plan);
        }
    }
}

size_t KRMForm_compactor::AddCount() const {
    size_t count = 0;
    for (const LinearForm& form : forms)
        count += form.size() - 1;
    return count;
}

void KRMForm_compactor::Compile(LinearInstruction* loads, LinearInstruction* adds) const {
    size_t added = 0;
    for (size_t m = 0; m < forms.size(); ++m) {
        const LinearForm& form = forms[m];
        assert(!form.empty());
        const auto slot = static_cast<int32_t>(m);
        loads[m] = {slot, static_cast<int32_t>(form[0].first), form[0].second};
        for (size_t p = 1; p < form.size(); ++p)
            adds[added++] = {slot, static_cast<int32_t>(form[p].first), form[p].second};
    }
}

} // namespace kora

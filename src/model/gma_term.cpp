#include "gma_form.h"

namespace kora {

void GMATerm::MultiplyBy(const GMATerm& other) {
    coefficient *= other.coefficient;
    for (const auto& [position, order] : other.exponents) {
        auto [it, inserted] = exponents.emplace(position, order);
        if (inserted) continue;
        it->second += order;
        if (it->second == 0.0) exponents.erase(it);
    }
}

void GMATerm::DivideBy(const GMATerm& other) {
    coefficient /= other.coefficient;
    for (const auto& [position, order] : other.exponents) {
        auto [it, inserted] = exponents.emplace(position, -order);
        if (inserted) continue;
        it->second -= order;
        if (it->second == 0.0) exponents.erase(it);
    }
}

} // namespace kora

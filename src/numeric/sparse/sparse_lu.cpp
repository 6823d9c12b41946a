#include "sparse_lu.h"

#include <cmath>
#include <limits>

#ifdef KORA_WITH_KLU
#include <klu.h>
#endif

namespace kora {

#ifdef KORA_WITH_KLU

struct SparseLu::State {
    klu_common common{};
    klu_symbolic* symbolic = nullptr;
    klu_numeric* numeric = nullptr;
    int32_t n = 0;
    // klu takes non-const pointers to the pattern, which it does not change.
    std::vector<int32_t> columnStart, rowIndex;

    State() { klu_defaults(&common); }
    ~State() { Clear(); }
    void Clear() {
        if (numeric != nullptr) klu_free_numeric(&numeric, &common);
        if (symbolic != nullptr) klu_free_symbolic(&symbolic, &common);
    }
};

SparseLu::SparseLu() : state_(std::make_unique<State>()) {}
SparseLu::~SparseLu() = default;

bool SparseLu::Available() {
    return true;
}

bool SparseLu::Analyse(int32_t n, const std::vector<int32_t>& columnStart,
                       const std::vector<int32_t>& rowIndex) {
    State& s = *state_;
    s.Clear();
    s.n = n;
    s.columnStart = columnStart;
    s.rowIndex = rowIndex;
    s.symbolic = klu_analyze(n, s.columnStart.data(), s.rowIndex.data(), &s.common);
    return s.symbolic != nullptr;
}

bool SparseLu::Factor(const double* values) {
    State& s = *state_;
    if (s.symbolic == nullptr) return false;
    auto* ap = s.columnStart.data();
    auto* ai = s.rowIndex.data();
    auto* ax = const_cast<double*>(values);
    // Refactoring on the old pivots is much cheaper; when they have become
    // poor (the reciprocal condition estimate collapses) pivot afresh.
    if (s.numeric != nullptr && klu_refactor(ap, ai, ax, s.symbolic, s.numeric, &s.common) != 0 &&
        klu_rcond(s.symbolic, s.numeric, &s.common) != 0 &&
        s.common.rcond > std::pow(std::numeric_limits<double>::epsilon(), 2.0 / 3.0))
        return true;
    if (s.numeric != nullptr) klu_free_numeric(&s.numeric, &s.common);
    s.numeric = klu_factor(ap, ai, ax, s.symbolic, &s.common);
    return s.numeric != nullptr && s.common.status == KLU_OK;
}

void SparseLu::Solve(double* x) {
    State& s = *state_;
    klu_solve(s.symbolic, s.numeric, s.n, 1, x, &s.common);
}

size_t SparseLu::FactorBytes() const {
    const State& s = *state_;
    if (s.numeric == nullptr) return 0;
    return static_cast<size_t>(s.numeric->lnz + s.numeric->unz + s.n) *
           (sizeof(double) + sizeof(int32_t));
}

#else

struct SparseLu::State {};

SparseLu::SparseLu() = default;
SparseLu::~SparseLu() = default;

bool SparseLu::Available() {
    return false;
}

bool SparseLu::Analyse(int32_t, const std::vector<int32_t>&, const std::vector<int32_t>&) {
    return false;
}

bool SparseLu::Factor(const double*) {
    return false;
}

void SparseLu::Solve(double*) {}

size_t SparseLu::FactorBytes() const {
    return 0;
}

#endif

} // namespace kora

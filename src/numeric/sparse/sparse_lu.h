// LU factors of a sparse square matrix kept by columns (compressed sparse
// column), for the stiff solver's iteration matrix on large models whose
// Jacobian is neither dense nor banded. The factorisation library stays
// behind this class; without it, Available() is false and nothing factors.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace kora {

class SparseLu {
public:
    SparseLu();
    ~SparseLu();
    SparseLu(const SparseLu&) = delete;
    SparseLu& operator=(const SparseLu&) = delete;

    // Whether this build can factor sparse matrices at all.
    static bool Available();

    // Takes the pattern: column j holds rows rowIndex[columnStart[j] ..
    // columnStart[j + 1]), ascending. Orders it for little fill once; false
    // when it cannot be analysed.
    bool Analyse(int32_t n, const std::vector<int32_t>& columnStart,
                 const std::vector<int32_t>& rowIndex);
    // Factors the values of the analysed pattern. The pivots of the last
    // factorisation are reused while they stay well conditioned. False: the
    // matrix is singular.
    bool Factor(const double* values);
    // Solves A x = b in place with the last factors.
    void Solve(double* x);
    // Bytes held by the factors (a memory figure).
    size_t FactorBytes() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace kora

// Linear conservation relations of a model: constant vectors c with
// c . F(x) = 0 for every state x. Their steady states form a family; the
// one meant is the one on the totals c . x0 of the initial values.
#pragma once

#include <cstdint>
#include <vector>

#include "kernels/minpack.h"

namespace kora {

struct ConservationRelation {
    // The variable whose equation the relation replaces: its coefficient is
    // not 0, and it is 0 in every other relation.
    uint32_t pivot = 0;
    std::vector<uint32_t> variable; // the non-zero coefficients, ascending
    std::vector<double> coefficient;
    bool wholeNumbers = false; // every coefficient is an integer
    double total = 0.0;        // c . x0

    double PivotCoefficient() const;
    double Dot(const double* x) const;
};

// Finds the relations of `fcn` (n equations) from the common left null space
// of its Jacobians at x0 and at perturbed states, each confirmed by
// evaluating c . F at further states. Points where the residual stops are
// skipped; without enough points no relation is reported. `evaluations`
// counts the residual calls made. `groups`, when given, must describe fcn's
// pattern (as for the search's Jacobians).
std::vector<ConservationRelation> FindConservationRelations(const MinpackFcn& fcn, uint32_t n,
                                                            const double* x0, uint64_t& evaluations,
                                                            const ColumnGrouping* groups = nullptr);

// The residual with the pivot equation of each relation replaced by
// c . x - total, so that a root lies on the totals of x0.
class ReducedResidual {
public:
    ReducedResidual(const MinpackFcn& full, const std::vector<ConservationRelation>& relations)
        : full_(full), relations_(relations) {}
    void operator()(int n, const double* x, double* f, int* iflag) const;

private:
    const MinpackFcn& full_;
    const std::vector<ConservationRelation>& relations_;
};

// The Jacobian of the motion on the totals, over the variables that are no
// relation's pivot: J_II - J_IP C_I with the pivot coefficients divided out.
// `jacobian` is n x n by columns; `reduced` receives (n - d) x (n - d).
void ReducedJacobian(const double* jacobian, uint32_t n,
                     const std::vector<ConservationRelation>& relations, double* reduced);

} // namespace kora

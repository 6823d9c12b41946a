// Dense linear least squares for a handful of unknowns, by normal equations
// on scaled columns and Gaussian elimination with partial pivoting.
#pragma once

#include <vector>

namespace kora {

// Minimises |A x - b| for A with `columns` columns given row by row
// (rows.size() = b.size() * columns). False when A is (nearly) rank-deficient.
bool SolveSmallLeastSquares(const std::vector<double>& rows, const std::vector<double>& b,
                            int columns, std::vector<double>& x);

} // namespace kora

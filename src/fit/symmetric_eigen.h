// Eigenvalues and eigenvectors of a small symmetric matrix by cyclic Jacobi
// rotations: slow for large orders but accurate for the tiny eigenvalues
// that tell a nearly singular normal matrix.
#pragma once

#include <vector>

namespace kora {

// a: n x n symmetric, column-major, destroyed. values receive the
// eigenvalues, vectors (column-major) the eigenvectors in the same order.
void SymmetricEigen(int n, std::vector<double>& a, std::vector<double>& values,
                    std::vector<double>& vectors);

} // namespace kora

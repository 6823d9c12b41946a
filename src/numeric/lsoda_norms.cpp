#include <algorithm>
#include <cmath>

#include "lsoda_engine.h"

// Norms consistent with the weighted max-norm; w holds the inverted error
// weights, as the solver keeps them.

namespace kora {

double vmnorm(int n, const double* v, const double* w) {
    double vm = 0.0;
    for (int i = 0; i < n; ++i)
        vm = std::max(vm, std::fabs(v[i]) * w[i]);
    return vm;
}

// Full n x n matrix a, column-major: max over rows i of w(i) * sum_j |a(i,j)| / w(j).
double fnorm(int n, const double* a, const double* w) {
    double an = 0.0;
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        for (int j = 0; j < n; ++j)
            sum = sum + std::fabs(a[static_cast<size_t>(j) * n + i]) / w[j];
        an = std::max(an, sum * w[i]);
    }
    return an;
}

// Band matrix in band storage with nra rows per column, ml lower and mu upper
// diagonals; element (i, j) lies in row i - j + mu + 1 of column j.
double bnorm(int n, const double* a, int nra, int ml, int mu, const double* w) {
    double an = 0.0;
    for (int i = 1; i <= n; ++i) {
        double sum = 0.0;
        const int i1 = i + mu + 1;
        const int jlo = std::max(i - ml, 1);
        const int jhi = std::min(i + mu, n);
        for (int j = jlo; j <= jhi; ++j)
            sum = sum + std::fabs(a[static_cast<size_t>(j - 1) * nra + (i1 - j - 1)]) / w[j - 1];
        an = std::max(an, sum * w[i - 1]);
    }
    return an;
}

} // namespace kora

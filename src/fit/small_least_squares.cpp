#include "small_least_squares.h"

#include <cmath>
#include <utility>

namespace kora {

bool SolveSmallLeastSquares(const std::vector<double>& rows, const std::vector<double>& b,
                            int columns, std::vector<double>& x) {
    const int n = columns;
    const size_t m = b.size();
    if (m < static_cast<size_t>(n) || n == 0) return false;
    // Column scales keep the normal matrix's condition that of A's shape.
    std::vector<double> scale(n, 0.0);
    for (size_t i = 0; i < m; ++i)
        for (int j = 0; j < n; ++j)
            scale[j] += rows[i * n + j] * rows[i * n + j];
    for (double& s : scale) {
        if (!(s > 0.0)) return false;
        s = 1.0 / std::sqrt(s);
    }
    // Augmented normal matrix [A^T A | A^T b], row-major n x (n + 1).
    std::vector<double> a(static_cast<size_t>(n) * (n + 1), 0.0);
    for (size_t i = 0; i < m; ++i)
        for (int j = 0; j < n; ++j) {
            const double aij = rows[i * n + j] * scale[j];
            for (int k = 0; k < n; ++k)
                a[j * (n + 1) + k] += aij * rows[i * n + k] * scale[k];
            a[j * (n + 1) + n] += aij * b[i];
        }
    for (int c = 0; c < n; ++c) {
        int pivot = c;
        for (int r = c + 1; r < n; ++r)
            if (std::fabs(a[r * (n + 1) + c]) > std::fabs(a[pivot * (n + 1) + c])) pivot = r;
        // A unit-scaled normal matrix has a diagonal of 1; a pivot this small
        // means columns that are nearly dependent.
        if (std::fabs(a[pivot * (n + 1) + c]) < 1e-12) return false;
        if (pivot != c)
            for (int k = 0; k <= n; ++k)
                std::swap(a[c * (n + 1) + k], a[pivot * (n + 1) + k]);
        for (int r = c + 1; r < n; ++r) {
            const double f = a[r * (n + 1) + c] / a[c * (n + 1) + c];
            for (int k = c; k <= n; ++k)
                a[r * (n + 1) + k] -= f * a[c * (n + 1) + k];
        }
    }
    x.assign(n, 0.0);
    for (int c = n - 1; c >= 0; --c) {
        double sum = a[c * (n + 1) + n];
        for (int k = c + 1; k < n; ++k)
            sum -= a[c * (n + 1) + k] * x[k];
        x[c] = sum / a[c * (n + 1) + c];
    }
    for (int j = 0; j < n; ++j)
        x[j] *= scale[j];
    return true;
}

} // namespace kora

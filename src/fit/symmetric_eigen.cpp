#include "symmetric_eigen.h"

#include <cmath>

namespace kora {

void SymmetricEigen(int n, std::vector<double>& a, std::vector<double>& values,
                    std::vector<double>& vectors) {
    const auto at = [n](std::vector<double>& m, int i, int j) -> double& {
        return m[static_cast<size_t>(j) * n + i];
    };
    vectors.assign(static_cast<size_t>(n) * n, 0.0);
    for (int i = 0; i < n; ++i)
        at(vectors, i, i) = 1.0;
    for (int sweep = 0; sweep < 100; ++sweep) {
        double off = 0.0, total = 0.0;
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                total += at(a, i, j) * at(a, i, j);
                if (i != j) off += at(a, i, j) * at(a, i, j);
            }
        if (off <= 1e-30 * total || off == 0.0) break;
        for (int p = 0; p < n - 1; ++p)
            for (int q = p + 1; q < n; ++q) {
                const double apq = at(a, p, q);
                if (apq == 0.0) continue;
                // The rotation that zeroes a(p, q): tan of its angle t.
                const double theta = (at(a, q, q) - at(a, p, p)) / (2.0 * apq);
                const double t = (theta >= 0.0 ? 1.0 : -1.0) /
                                 (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0);
                const double s = t * c;
                for (int k = 0; k < n; ++k) {
                    const double akp = at(a, k, p), akq = at(a, k, q);
                    at(a, k, p) = c * akp - s * akq;
                    at(a, k, q) = s * akp + c * akq;
                }
                for (int k = 0; k < n; ++k) {
                    const double apk = at(a, p, k), aqk = at(a, q, k);
                    at(a, p, k) = c * apk - s * aqk;
                    at(a, q, k) = s * apk + c * aqk;
                }
                for (int k = 0; k < n; ++k) {
                    const double vkp = at(vectors, k, p), vkq = at(vectors, k, q);
                    at(vectors, k, p) = c * vkp - s * vkq;
                    at(vectors, k, q) = s * vkp + c * vkq;
                }
            }
    }
    values.resize(n);
    for (int i = 0; i < n; ++i)
        values[i] = at(a, i, i);
}

} // namespace kora

#include "minpack.h"

#include <cmath>

// Rank-one updates of a triangular factor by Givens rotations. Each rotation
// is stored as one number tau: sin when it came from the tangent form, else
// 1/cos (or 1 when cos is too small to invert); r1mpyq recovers cos and sin
// from tau. Indices are 1-based as published.

namespace kora {

namespace {

struct Givens {
    double cos, sin, tau;
};

// Rotation that zeroes b against a (the larger of the two divides).
Givens givens(double a, double b, double giant) {
    Givens g{};
    if (std::fabs(a) >= std::fabs(b)) {
        const double tan = b / a;
        g.cos = 0.5 / std::sqrt(0.25 + 0.25 * tan * tan);
        g.sin = g.cos * tan;
        g.tau = g.sin;
    } else {
        const double cotan = a / b;
        g.sin = 0.5 / std::sqrt(0.25 + 0.25 * cotan * cotan);
        g.cos = g.sin * cotan;
        g.tau = 1.0;
        if (std::fabs(g.cos) * giant > 1.0) g.tau = 1.0 / g.cos;
    }
    return g;
}

// Inverse of the tau encoding.
void recover(double tau, double* cos, double* sin) {
    if (std::fabs(tau) > 1.0) {
        *cos = 1.0 / tau;
        *sin = std::sqrt(1.0 - *cos * *cos);
    } else {
        *sin = tau;
        *cos = std::sqrt(1.0 - *sin * *sin);
    }
}

} // namespace

void r1mpyq(int m, int n, double* a, int lda, const double* v, const double* w) {
    auto at = [a, lda](int i, int j) -> double& { return a[(j - 1) * lda + (i - 1)]; };
    double cos = 0.0, sin = 0.0;
    for (int j = n - 1; j >= 1; --j) {
        recover(v[j - 1], &cos, &sin);
        for (int i = 1; i <= m; ++i) {
            const double temp = cos * at(i, j) - sin * at(i, n);
            at(i, n) = sin * at(i, j) + cos * at(i, n);
            at(i, j) = temp;
        }
    }
    for (int j = 1; j <= n - 1; ++j) {
        recover(w[j - 1], &cos, &sin);
        for (int i = 1; i <= m; ++i) {
            const double temp = cos * at(i, j) + sin * at(i, n);
            at(i, n) = -sin * at(i, j) + cos * at(i, n);
            at(i, j) = temp;
        }
    }
}

void r1updt(int m, int n, double* s, int ls, const double* u, double* v, double* w, bool* sing) {
    (void)ls; // documents the packed size n(2m - n + 1)/2
    const double giant = dpmpar(3);
    // s(l) and w(i) with 1-based l and i.
    auto S = [s](int l) -> double& { return s[l - 1]; };
    auto W = [w](int i) -> double& { return w[i - 1]; };

    // jj points at the diagonal element of the last column.
    int jj = (n * (2 * m - n + 1)) / 2 - (m - n);
    int l = jj;
    for (int i = n; i <= m; ++i)
        W(i) = S(l++);

    // Rotate v into a multiple of the n-th unit vector, building a spike in w.
    for (int j = n - 1; j >= 1; --j) {
        jj -= m - j + 1;
        W(j) = 0.0;
        if (v[j - 1] == 0.0) continue;
        const Givens g = givens(v[n - 1], v[j - 1], giant);
        v[n - 1] = g.sin * v[j - 1] + g.cos * v[n - 1];
        v[j - 1] = g.tau;
        l = jj;
        for (int i = j; i <= m; ++i, ++l) {
            const double temp = g.cos * S(l) - g.sin * W(i);
            W(i) = g.sin * S(l) + g.cos * W(i);
            S(l) = temp;
        }
    }

    // Add the spike from the rank-one update.
    for (int i = 1; i <= m; ++i)
        W(i) += v[n - 1] * u[i - 1];

    // Eliminate the spike.
    *sing = false;
    for (int j = 1; j <= n - 1; ++j) {
        if (W(j) != 0.0) {
            const Givens g = givens(S(jj), W(j), giant);
            l = jj;
            for (int i = j; i <= m; ++i, ++l) {
                const double temp = g.cos * S(l) + g.sin * W(i);
                W(i) = -g.sin * S(l) + g.cos * W(i);
                S(l) = temp;
            }
            W(j) = g.tau;
        }
        if (S(jj) == 0.0) *sing = true;
        jj += m - j + 1;
    }

    // Move w back into the last column of s.
    l = jj;
    for (int i = n; i <= m; ++i)
        S(l++) = W(i);
    if (S(jj) == 0.0) *sing = true;
}

} // namespace kora

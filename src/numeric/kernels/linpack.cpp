#include "linpack.h"

#include "blas1.h"

#include <algorithm>

// Indices below are 1-based, as in the published routines, so that each step
// can be checked against them; at() turns (i, j) into the column-major offset.

namespace kora {

namespace {

constexpr int kUnit = 1;

inline double* at(double* a, int lda, int i, int j) {
    return a + (j - 1) * lda + (i - 1);
}
inline const double* at(const double* a, int lda, int i, int j) {
    return a + (j - 1) * lda + (i - 1);
}

// The band solve adds one short column per row; for narrow bands the call
// to daxpy cost more than the arithmetic. Same operations, same order.
inline void BandAxpy(int n, double da, const double* dx, double* dy) {
    if (n > 4) {
        daxpy(n, da, dx, kUnit, dy, kUnit);
        return;
    }
    if (da == 0.0) return;
    for (int i = 0; i < n; ++i)
        dy[i] += da * dx[i];
}

} // namespace

void dgefa(double* a, const int& lda, const int& n, int* ipvt, int& info) {
    info = 0;
    if (n < 1) return; // nothing to factor; avoids writing ipvt[-1]
    for (int k = 1; k <= n - 1; ++k) {
        const int l = idamax(n - k + 1, at(a, lda, k, k), kUnit) + k - 1;
        ipvt[k - 1] = l;
        if (*at(a, lda, l, k) == 0.0) {
            info = k; // zero column below the diagonal: already triangular here
            continue;
        }
        if (l != k) std::swap(*at(a, lda, l, k), *at(a, lda, k, k));
        const double t = -1.0 / *at(a, lda, k, k);
        dscal(n - k, t, at(a, lda, k + 1, k), kUnit);
        for (int j = k + 1; j <= n; ++j) {
            const double tj = *at(a, lda, l, j);
            if (l != k) {
                *at(a, lda, l, j) = *at(a, lda, k, j);
                *at(a, lda, k, j) = tj;
            }
            daxpy(n - k, tj, at(a, lda, k + 1, k), kUnit, at(a, lda, k + 1, j), kUnit);
        }
    }
    ipvt[n - 1] = n;
    if (*at(a, lda, n, n) == 0.0) info = n;
}

void dgesl(const double* a, const int& lda, const int& n, const int* ipvt, double* b,
           const int& job) {
    if (job == 0) {
        // Solve L y = b, then U x = y.
        for (int k = 1; k <= n - 1; ++k) {
            const int l = ipvt[k - 1];
            const double t = b[l - 1];
            if (l != k) {
                b[l - 1] = b[k - 1];
                b[k - 1] = t;
            }
            daxpy(n - k, t, at(a, lda, k + 1, k), kUnit, b + k, kUnit);
        }
        for (int k = n; k >= 1; --k) {
            b[k - 1] /= *at(a, lda, k, k);
            const double t = -b[k - 1];
            daxpy(k - 1, t, at(a, lda, 1, k), kUnit, b, kUnit);
        }
        return;
    }
    // Solve U^T y = b, then L^T x = y.
    for (int k = 1; k <= n; ++k) {
        const double t = ddot(k - 1, at(a, lda, 1, k), kUnit, b, kUnit);
        b[k - 1] = (b[k - 1] - t) / *at(a, lda, k, k);
    }
    for (int k = n - 1; k >= 1; --k) {
        b[k - 1] += ddot(n - k, at(a, lda, k + 1, k), kUnit, b + k, kUnit);
        const int l = ipvt[k - 1];
        if (l != k) std::swap(b[l - 1], b[k - 1]);
    }
}

void dgbfa(double* abd, const int& lda, const int& n, const int& ml, const int& mu, int* ipvt,
           int& info) {
    const int m = ml + mu + 1;
    info = 0;
    if (n < 1) return;

    // Zero the fill-in rows of the first columns that pivoting may reach.
    const int j0 = mu + 2;
    const int j1 = std::min(n, m) - 1;
    for (int jz = j0; jz <= j1; ++jz) {
        for (int i = m + 1 - jz; i <= ml; ++i)
            *at(abd, lda, i, jz) = 0.0;
    }
    int jz = j1;
    int ju = 0;

    for (int k = 1; k <= n - 1; ++k) {
        // Zero the fill-in of the column that enters the band at this step.
        ++jz;
        if (jz <= n) {
            for (int i = 1; i <= ml; ++i)
                *at(abd, lda, i, jz) = 0.0;
        }
        const int lm = std::min(ml, n - k);
        int l = idamax(lm + 1, at(abd, lda, m, k), kUnit) + m - 1;
        ipvt[k - 1] = l + k - m;
        if (*at(abd, lda, l, k) == 0.0) {
            info = k;
            continue;
        }
        if (l != m) std::swap(*at(abd, lda, l, k), *at(abd, lda, m, k));
        const double t = -1.0 / *at(abd, lda, m, k);
        dscal(lm, t, at(abd, lda, m + 1, k), kUnit);

        ju = std::min(std::max(ju, mu + ipvt[k - 1]), n);
        int mm = m;
        for (int j = k + 1; j <= ju; ++j) {
            --l;
            --mm;
            const double tj = *at(abd, lda, l, j);
            if (l != mm) {
                *at(abd, lda, l, j) = *at(abd, lda, mm, j);
                *at(abd, lda, mm, j) = tj;
            }
            daxpy(lm, tj, at(abd, lda, m + 1, k), kUnit, at(abd, lda, mm + 1, j), kUnit);
        }
    }
    ipvt[n - 1] = n;
    if (*at(abd, lda, m, n) == 0.0) info = n;
}

void dgbsl(const double* abd, const int& lda, const int& n, const int& ml, const int& mu,
           const int* ipvt, double* b, const int& job) {
    const int m = mu + ml + 1;
    if (job == 0) {
        if (ml != 0) {
            for (int k = 1; k <= n - 1; ++k) {
                const int lm = std::min(ml, n - k);
                const int l = ipvt[k - 1];
                const double t = b[l - 1];
                if (l != k) {
                    b[l - 1] = b[k - 1];
                    b[k - 1] = t;
                }
                BandAxpy(lm, t, at(abd, lda, m + 1, k), b + k);
            }
        }
        for (int k = n; k >= 1; --k) {
            b[k - 1] /= *at(abd, lda, m, k);
            const int lm = std::min(k, m) - 1;
            const int la = m - lm;
            const int lb = k - lm;
            const double t = -b[k - 1];
            BandAxpy(lm, t, at(abd, lda, la, k), b + (lb - 1));
        }
        return;
    }
    for (int k = 1; k <= n; ++k) {
        const int lm = std::min(k, m) - 1;
        const int la = m - lm;
        const int lb = k - lm;
        const double t = ddot(lm, at(abd, lda, la, k), kUnit, b + (lb - 1), kUnit);
        b[k - 1] = (b[k - 1] - t) / *at(abd, lda, m, k);
    }
    if (ml == 0) return;
    for (int k = n - 1; k >= 1; --k) {
        const int lm = std::min(ml, n - k);
        b[k - 1] += ddot(lm, at(abd, lda, m + 1, k), kUnit, b + k, kUnit);
        const int l = ipvt[k - 1];
        if (l != k) std::swap(b[l - 1], b[k - 1]);
    }
}

} // namespace kora

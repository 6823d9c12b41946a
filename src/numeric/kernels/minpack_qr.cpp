#include "minpack.h"

#include <algorithm>
#include <cmath>
#include <utility>

// Indices are 1-based as in the published routines; col(a, lda, j) points at
// the top of column j and at(...) addresses element (i, j).

namespace kora {

namespace {

inline double* col(double* a, int lda, int j) {
    return a + (j - 1) * lda;
}
inline double& at(double* a, int lda, int i, int j) {
    return a[(j - 1) * lda + (i - 1)];
}

// Applies the Householder reflection stored in column j (rows j..m) to column k.
void reflectColumn(double* a, int lda, int m, int j, int k) {
    double sum = 0.0;
    for (int i = j; i <= m; ++i)
        sum += at(a, lda, i, j) * at(a, lda, i, k);
    const double temp = sum / at(a, lda, j, j);
    for (int i = j; i <= m; ++i)
        at(a, lda, i, k) -= temp * at(a, lda, i, j);
}

} // namespace

void qrfac(int m, int n, double* a, int lda, bool pivot, int* ipvt, int lipvt, double* rdiag,
           double* acnorm, double* wa) {
    (void)lipvt; // only documents the size of ipvt: n with pivoting, else unused
    const double epsmch = dpmpar(1);
    for (int j = 1; j <= n; ++j) {
        acnorm[j - 1] = enorm(m, col(a, lda, j));
        rdiag[j - 1] = acnorm[j - 1];
        wa[j - 1] = rdiag[j - 1];
        if (pivot) ipvt[j - 1] = j;
    }
    const int minmn = std::min(m, n);
    for (int j = 1; j <= minmn; ++j) {
        if (pivot) {
            // Bring the column of largest remaining norm into the pivot position.
            int kmax = j;
            for (int k = j; k <= n; ++k)
                if (rdiag[k - 1] > rdiag[kmax - 1]) kmax = k;
            if (kmax != j) {
                for (int i = 1; i <= m; ++i)
                    std::swap(at(a, lda, i, j), at(a, lda, i, kmax));
                rdiag[kmax - 1] = rdiag[j - 1];
                wa[kmax - 1] = wa[j - 1];
                std::swap(ipvt[j - 1], ipvt[kmax - 1]);
            }
        }
        double ajnorm = enorm(m - j + 1, &at(a, lda, j, j));
        if (ajnorm != 0.0) {
            if (at(a, lda, j, j) < 0.0) ajnorm = -ajnorm;
            for (int i = j; i <= m; ++i)
                at(a, lda, i, j) /= ajnorm;
            at(a, lda, j, j) += 1.0;
            for (int k = j + 1; k <= n; ++k) {
                reflectColumn(a, lda, m, j, k);
                if (!pivot || rdiag[k - 1] == 0.0) continue;
                // Downdate the column norm; recompute it when cancellation looms.
                const double temp = at(a, lda, j, k) / rdiag[k - 1];
                rdiag[k - 1] *= std::sqrt(std::max(0.0, 1.0 - temp * temp));
                const double ratio = rdiag[k - 1] / wa[k - 1];
                if (0.05 * ratio * ratio > epsmch) continue;
                rdiag[k - 1] = enorm(m - j, &at(a, lda, j + 1, k));
                wa[k - 1] = rdiag[k - 1];
            }
        }
        rdiag[j - 1] = -ajnorm;
    }
}

void qform(int m, int n, double* q, int ldq, double* wa) {
    const int minmn = std::min(m, n);
    // Zero the strict upper triangle of the first min(m, n) columns.
    for (int j = 2; j <= minmn; ++j)
        for (int i = 1; i <= j - 1; ++i)
            at(q, ldq, i, j) = 0.0;
    // Remaining columns start as those of the identity.
    for (int j = n + 1; j <= m; ++j) {
        for (int i = 1; i <= m; ++i)
            at(q, ldq, i, j) = 0.0;
        at(q, ldq, j, j) = 1.0;
    }
    // Accumulate Q from the reflections, last first.
    for (int k = minmn; k >= 1; --k) {
        for (int i = k; i <= m; ++i) {
            wa[i - 1] = at(q, ldq, i, k);
            at(q, ldq, i, k) = 0.0;
        }
        at(q, ldq, k, k) = 1.0;
        if (wa[k - 1] == 0.0) continue;
        for (int j = k; j <= m; ++j) {
            double sum = 0.0;
            for (int i = k; i <= m; ++i)
                sum += at(q, ldq, i, j) * wa[i - 1];
            const double temp = sum / wa[k - 1];
            for (int i = k; i <= m; ++i)
                at(q, ldq, i, j) -= temp * wa[i - 1];
        }
    }
}

} // namespace kora

#include <algorithm>
#include <cmath>

#include "minpack.h"
#include "minpack_lm.h"

// Indices are 1-based as in the published routines.

namespace kora {

namespace {

inline double& at(double* a, int lda, int i, int j) {
    return a[(j - 1) * lda + (i - 1)];
}

// Back substitution on the nonsingular leading block of R: wa := R^-1 wa for
// rows 1..nsing; the later entries are taken as zero.
void solveLeadingBlock(int nsing, double* r, int ldr, double* wa) {
    for (int k = 1; k <= nsing; ++k) {
        const int j = nsing - k + 1;
        wa[j - 1] /= at(r, ldr, j, j);
        const double temp = wa[j - 1];
        for (int i = 1; i <= j - 1; ++i)
            wa[i - 1] -= at(r, ldr, i, j) * temp;
    }
}

// A Givens rotation that zeroes b against a: returns (cos, sin).
void givens(double a, double b, double* cosine, double* sine) {
    if (std::fabs(a) < std::fabs(b)) {
        const double cotan = a / b;
        *sine = 0.5 / std::sqrt(0.25 + 0.25 * cotan * cotan);
        *cosine = *sine * cotan;
    } else {
        const double tangent = b / a;
        *cosine = 0.5 / std::sqrt(0.25 + 0.25 * tangent * tangent);
        *sine = *cosine * tangent;
    }
}

} // namespace

void qrsolv(int n, double* r, int ldr, const int* ipvt, const double* diag, const double* qtb,
            double* x, double* sdiag, double* wa) {
    // Copy R and Q^T b; save R's diagonal in x.
    for (int j = 1; j <= n; ++j) {
        for (int i = j; i <= n; ++i)
            at(r, ldr, i, j) = at(r, ldr, j, i);
        x[j - 1] = at(r, ldr, j, j);
        wa[j - 1] = qtb[j - 1];
    }
    // Eliminate the diagonal matrix D with Givens rotations.
    for (int j = 1; j <= n; ++j) {
        const int l = ipvt[j - 1];
        if (diag[l - 1] != 0.0) {
            for (int k = j; k <= n; ++k)
                sdiag[k - 1] = 0.0;
            sdiag[j - 1] = diag[l - 1];
            // The rotations touch at most one element of Q^T b beyond the
            // first n, kept in qtbpj.
            double qtbpj = 0.0;
            for (int k = j; k <= n; ++k) {
                if (sdiag[k - 1] == 0.0) continue;
                double cosine = 0.0, sine = 0.0;
                givens(at(r, ldr, k, k), sdiag[k - 1], &cosine, &sine);
                at(r, ldr, k, k) = cosine * at(r, ldr, k, k) + sine * sdiag[k - 1];
                const double temp = cosine * wa[k - 1] + sine * qtbpj;
                qtbpj = -sine * wa[k - 1] + cosine * qtbpj;
                wa[k - 1] = temp;
                for (int i = k + 1; i <= n; ++i) {
                    const double t = cosine * at(r, ldr, i, k) + sine * sdiag[i - 1];
                    sdiag[i - 1] = -sine * at(r, ldr, i, k) + cosine * sdiag[i - 1];
                    at(r, ldr, i, k) = t;
                }
            }
        }
        // Store S's diagonal and restore R's.
        sdiag[j - 1] = at(r, ldr, j, j);
        at(r, ldr, j, j) = x[j - 1];
    }
    // Solve the triangular system; a singular S gives a least squares solution.
    int nsing = n;
    for (int j = 1; j <= n; ++j) {
        if (sdiag[j - 1] == 0.0 && nsing == n) nsing = j - 1;
        if (nsing < n) wa[j - 1] = 0.0;
    }
    for (int k = 1; k <= nsing; ++k) {
        const int j = nsing - k + 1;
        double sum = 0.0;
        for (int i = j + 1; i <= nsing; ++i)
            sum += at(r, ldr, i, j) * wa[i - 1];
        wa[j - 1] = (wa[j - 1] - sum) / sdiag[j - 1];
    }
    for (int j = 1; j <= n; ++j)
        x[ipvt[j - 1] - 1] = wa[j - 1];
}

void lmpar(int n, double* r, int ldr, const int* ipvt, const double* diag, const double* qtb,
           double delta, double* par, double* x, double* sdiag, double* wa1, double* wa2) {
    constexpr double p1 = 1.0e-1;
    constexpr double p001 = 1.0e-3;
    const double dwarf = dpmpar(2);

    // The Gauss-Newton direction; a rank-deficient R gives a least squares one.
    int nsing = n;
    for (int j = 1; j <= n; ++j) {
        wa1[j - 1] = qtb[j - 1];
        if (at(r, ldr, j, j) == 0.0 && nsing == n) nsing = j - 1;
        if (nsing < n) wa1[j - 1] = 0.0;
    }
    solveLeadingBlock(nsing, r, ldr, wa1);
    for (int j = 1; j <= n; ++j)
        x[ipvt[j - 1] - 1] = wa1[j - 1];

    // Accept it when it lies within the trust region (par = 0).
    int iter = 0;
    for (int j = 1; j <= n; ++j)
        wa2[j - 1] = diag[j - 1] * x[j - 1];
    double dxnorm = enorm(n, wa2);
    double fp = dxnorm - delta;
    if (fp <= p1 * delta) {
        *par = 0.0;
        return;
    }

    // Lower bound parl from the Newton step, when the Jacobian has full rank.
    double parl = 0.0;
    if (nsing >= n) {
        for (int j = 1; j <= n; ++j) {
            const int l = ipvt[j - 1];
            wa1[j - 1] = diag[l - 1] * (wa2[l - 1] / dxnorm);
        }
        for (int j = 1; j <= n; ++j) {
            double sum = 0.0;
            for (int i = 1; i <= j - 1; ++i)
                sum += at(r, ldr, i, j) * wa1[i - 1];
            wa1[j - 1] = (wa1[j - 1] - sum) / at(r, ldr, j, j);
        }
        const double temp = enorm(n, wa1);
        parl = ((fp / delta) / temp) / temp;
    }

    // Upper bound paru from the scaled gradient.
    for (int j = 1; j <= n; ++j) {
        double sum = 0.0;
        for (int i = 1; i <= j; ++i)
            sum += at(r, ldr, i, j) * qtb[i - 1];
        wa1[j - 1] = sum / diag[ipvt[j - 1] - 1];
    }
    const double gnorm = enorm(n, wa1);
    double paru = gnorm / delta;
    if (paru == 0.0) paru = dwarf / std::min(delta, p1);

    // Start inside (parl, paru); the Newton iteration then brackets par.
    *par = std::max(*par, parl);
    *par = std::min(*par, paru);
    if (*par == 0.0) *par = gnorm / dxnorm;

    for (;;) {
        ++iter;
        if (*par == 0.0) *par = std::max(dwarf, p001 * paru);
        const double root = std::sqrt(*par);
        for (int j = 1; j <= n; ++j)
            wa1[j - 1] = root * diag[j - 1];
        qrsolv(n, r, ldr, ipvt, wa1, qtb, x, sdiag, wa2);
        for (int j = 1; j <= n; ++j)
            wa2[j - 1] = diag[j - 1] * x[j - 1];
        dxnorm = enorm(n, wa2);
        const double previous = fp;
        fp = dxnorm - delta;

        // Converged, or the step is already inside with par at its lower
        // bound 0, or ten iterations spent.
        if (std::fabs(fp) <= p1 * delta || (parl == 0.0 && fp <= previous && previous < 0.0) ||
            iter == 10)
            break;

        // Newton correction.
        for (int j = 1; j <= n; ++j) {
            const int l = ipvt[j - 1];
            wa1[j - 1] = diag[l - 1] * (wa2[l - 1] / dxnorm);
        }
        for (int j = 1; j <= n; ++j) {
            wa1[j - 1] /= sdiag[j - 1];
            const double temp = wa1[j - 1];
            for (int i = j + 1; i <= n; ++i)
                wa1[i - 1] -= at(r, ldr, i, j) * temp;
        }
        const double temp = enorm(n, wa1);
        const double parc = ((fp / delta) / temp) / temp;

        if (fp > 0.0) parl = std::max(parl, *par);
        if (fp < 0.0) paru = std::min(paru, *par);
        *par = std::max(parl, *par + parc);
    }
    if (iter == 0) *par = 0.0;
}

} // namespace kora

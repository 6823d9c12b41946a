#include "minpack.h"

#include <algorithm>
#include <cmath>

// r is the upper triangle packed by rows: r(l) with 1-based l, row j starting
// right after row j-1. Indices are 1-based as published.

namespace kora {

namespace {

// Gauss-Newton direction: back substitution with R; a zero diagonal element is
// replaced by a tiny multiple of the largest element of its column.
void gaussNewton(int n, const double* r, const double* qtb, double* x) {
    const double epsmch = dpmpar(1);
    int jj = (n * (n + 1)) / 2 + 1;
    for (int k = 1; k <= n; ++k) {
        const int j = n - k + 1;
        jj -= k;
        int l = jj + 1;
        double sum = 0.0;
        for (int i = j + 1; i <= n; ++i)
            sum += r[(l++) - 1] * x[i - 1];
        double temp = r[jj - 1];
        if (temp == 0.0) {
            l = j;
            for (int i = 1; i <= j; ++i) {
                temp = std::max(temp, std::fabs(r[l - 1]));
                l += n - i;
            }
            temp *= epsmch;
            if (temp == 0.0) temp = epsmch;
        }
        x[j - 1] = (qtb[j - 1] - sum) / temp;
    }
}

// out = R * v.
void multiplyR(int n, const double* r, const double* v, double* out) {
    int l = 1;
    for (int j = 1; j <= n; ++j) {
        double sum = 0.0;
        for (int i = j; i <= n; ++i)
            sum += r[(l++) - 1] * v[i - 1];
        out[j - 1] = sum;
    }
}

} // namespace

void dogleg(int n, const double* r, int lr, const double* diag, const double* qtb, double delta,
            double* x, double* wa1, double* wa2) {
    (void)lr; // documents the packed size n(n + 1)/2
    gaussNewton(n, r, qtb, x);

    for (int j = 0; j < n; ++j) {
        wa1[j] = 0.0;
        wa2[j] = diag[j] * x[j];
    }
    const double qnorm = enorm(n, wa2);
    if (qnorm <= delta) return; // the Gauss-Newton step fits the trust region

    // Scaled gradient direction R^T qtb / diag.
    int l = 1;
    for (int j = 1; j <= n; ++j) {
        const double temp = qtb[j - 1];
        for (int i = j; i <= n; ++i)
            wa1[i - 1] += r[(l++) - 1] * temp;
        wa1[j - 1] /= diag[j - 1];
    }
    const double gnorm = enorm(n, wa1);
    double sgnorm = 0.0;
    double alpha = delta / qnorm;
    if (gnorm != 0.0) {
        // Minimiser of the quadratic along the scaled gradient.
        for (int j = 0; j < n; ++j)
            wa1[j] = (wa1[j] / gnorm) / diag[j];
        multiplyR(n, r, wa1, wa2);
        const double temp = enorm(n, wa2);
        sgnorm = (gnorm / temp) / temp;
        alpha = 0.0;
        if (sgnorm < delta) {
            // Point on the dogleg path where it leaves the trust region.
            const double bnorm = enorm(n, qtb);
            const double dq = delta / qnorm;
            const double sd = sgnorm / delta;
            double t = (bnorm / gnorm) * (bnorm / qnorm) * sd;
            t = t - dq * sd * sd +
                std::sqrt((t - dq) * (t - dq) + (1.0 - dq * dq) * (1.0 - sd * sd));
            alpha = (dq * (1.0 - sd * sd)) / t;
        }
    }
    const double temp = (1.0 - alpha) * std::min(sgnorm, delta);
    for (int j = 0; j < n; ++j)
        x[j] = temp * wa1[j] + alpha * x[j];
}

} // namespace kora

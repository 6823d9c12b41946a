#include "minpack.h"

#include <algorithm>
#include <cmath>

namespace kora {

namespace {

void denseJacobian(MinpackFcn fcn, int n, double* x, const double* fvec, double* fjac, int ldfjac,
                   int* iflag, double eps, double* wa1) {
    for (int j = 0; j < n; ++j) {
        const double temp = x[j];
        const double h = fdjac1Step(temp, eps);
        x[j] = temp + h;
        fcn(n, x, wa1, iflag);
        // Restored before testing the stop so the caller gets back its point.
        x[j] = temp;
        if (*iflag < 0) return;
        double* column = fjac + j * ldfjac;
        for (int i = 0; i < n; ++i)
            column[i] = (wa1[i] - fvec[i]) / h;
    }
}

// Columns k, k + msum, k + 2 msum, ... do not share rows within the band, so
// one evaluation perturbs them all at once.
void bandedJacobian(MinpackFcn fcn, int n, double* x, const double* fvec, double* fjac, int ldfjac,
                    int* iflag, int ml, int mu, double eps, double* wa1, double* wa2) {
    const int msum = ml + mu + 1;
    for (int k = 0; k < msum; ++k) {
        for (int j = k; j < n; j += msum) {
            wa2[j] = x[j];
            x[j] = wa2[j] + fdjac1Step(wa2[j], eps);
        }
        fcn(n, x, wa1, iflag);
        for (int j = k; j < n; j += msum)
            x[j] = wa2[j];
        if (*iflag < 0) return;
        for (int j = k; j < n; j += msum) {
            const double h = fdjac1Step(wa2[j], eps);
            double* column = fjac + j * ldfjac;
            for (int i = 0; i < n; ++i) {
                column[i] = 0.0;
                if (i >= j - mu && i <= j + ml) column[i] = (wa1[i] - fvec[i]) / h;
            }
        }
    }
}

} // namespace

void fdjac1(MinpackFcn fcn, int n, double* x, const double* fvec, double* fjac, int ldfjac,
            int* iflag, int ml, int mu, double epsfcn, double* wa1, double* wa2) {
    const double eps = std::sqrt(std::max(epsfcn, dpmpar(1)));
    if (ml + mu + 1 >= n)
        denseJacobian(fcn, n, x, fvec, fjac, ldfjac, iflag, eps, wa1);
    else
        bandedJacobian(fcn, n, x, fvec, fjac, ldfjac, iflag, ml, mu, eps, wa1, wa2);
}

} // namespace kora

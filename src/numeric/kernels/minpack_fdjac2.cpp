#include <algorithm>
#include <cmath>

#include "minpack.h"
#include "minpack_lm.h"

namespace kora {

void fdjac2(LeastSquaresFcn fcn, int m, int n, double* x, const double* fvec, double* fjac,
            int ldfjac, int* iflag, double epsfcn, double* wa) {
    const double eps = std::sqrt(std::max(epsfcn, dpmpar(1)));
    for (int j = 0; j < n; ++j) {
        const double temp = x[j];
        const double h = fdjac1Step(temp, eps);
        x[j] = temp + h;
        fcn(m, n, x, wa, iflag);
        x[j] = temp;
        if (*iflag < 0) return;
        double* column = fjac + static_cast<long>(j) * ldfjac;
        for (int i = 0; i < m; ++i)
            column[i] = (wa[i] - fvec[i]) / h;
    }
}

} // namespace kora

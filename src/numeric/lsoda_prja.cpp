#include <algorithm>
#include <cmath>

#include "lsoda_engine.h"
#include "numeric/kernels/linpack.h"

namespace kora {

// The iteration matrix P = I - h*l0*J with J approximated by forward
// differences, column by column (jt 2), then its LU factors. The matrix lives
// in wm from wm(3) on; wm(1) holds sqrt(uround) for the increments. False
// when the right-hand side failed at a difference point.
bool LsodaEngine::prja(LsodaRhs& f) {
    nje = nje + 1;
    ierpj = 0;
    jcur = 1;
    const double hl0 = h * el0;
    double* y = ywork.data();
    double* ftem = acor();
    const double* sf = savf();
    const double* w = ewt();
    double* matrix = wm() + 2;

    double fac = vmnorm(n, sf, w);
    double r0 = 1000.0 * std::fabs(h) * uround * static_cast<double>(n) * fac;
    if (r0 == 0.0) r0 = 1.0;
    const double srur = wm()[0];
    for (int j = 0; j < n; ++j) {
        const double yj = y[j];
        const double r = std::max(srur * std::fabs(yj), r0 / w[j]);
        y[j] = y[j] + r;
        fac = -hl0 / r;
        // A failed evaluation fails the step being tried; the owner has
        // recorded why.
        if (!f.Derivatives(tn, y, ftem)) {
            y[j] = yj;
            nfe = nfe + j + 1;
            return false;
        }
        double* column = matrix + static_cast<size_t>(j) * n;
        for (int i = 0; i < n; ++i)
            column[i] = (ftem[i] - sf[i]) * fac;
        y[j] = yj;
    }
    nfe = nfe + n;

    pdnorm = fnorm(n, matrix, w) / std::fabs(hl0);
    for (int i = 0; i < n; ++i)
        matrix[static_cast<size_t>(i) * n + i] += 1.0;

    int ier = 0;
    dgefa(matrix, n, n, iwm() + 20, ier);
    if (ier != 0) ierpj = 1;
    return true;
}

// One chord-iteration solve with the factors prja left (full matrix only).
void LsodaEngine::solsy(double* x) {
    iersl = 0;
    dgesl(wm() + 2, n, n, iwm() + 20, x, 0);
}

} // namespace kora

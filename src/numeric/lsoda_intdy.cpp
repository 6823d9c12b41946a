#include "lsoda_engine.h"

namespace kora {

// k-th derivative at t of the interpolating polynomial held in the Nordsieck
// array, summed from the highest column down. t must lie in the last step,
// [tn - hu, tn], up to roundoff.
int LsodaEngine::intdy(double t, int k, double* dky) const {
    if (k < 0 || k > nq) return -1;
    const double tp = tn - hu - 100.0 * uround * (tn + hu);
    if ((t - tp) * (t - tn) > 0.0) return -2;

    const double s = (t - tn) / h;
    int ic = 1;
    if (k != 0)
        for (int jj = l - k; jj <= nq; ++jj)
            ic = ic * jj;
    double c = static_cast<double>(ic);
    for (int i = 1; i <= n; ++i)
        dky[i - 1] = c * YH(i, l);
    if (k != nq) {
        for (int jb = 1; jb <= nq - k; ++jb) {
            const int j = nq - jb;
            const int jp1 = j + 1;
            ic = 1;
            if (k != 0)
                for (int jj = jp1 - k; jj <= j; ++jj)
                    ic = ic * jj;
            c = static_cast<double>(ic);
            for (int i = 1; i <= n; ++i)
                dky[i - 1] = c * YH(i, jp1) + s * dky[i - 1];
        }
        if (k == 0) return 0;
    }
    double r = 1.0; // h**(-k)
    for (int i = 0; i < k; ++i)
        r = r / h;
    for (int i = 0; i < n; ++i)
        dky[i] = r * dky[i];
    return 0;
}

void LsodaEngine::CurrentSolution(double* y) const {
    for (int i = 1; i <= n; ++i)
        y[i - 1] = YH(i, 1);
}

} // namespace kora

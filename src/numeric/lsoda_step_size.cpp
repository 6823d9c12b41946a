// Step-size and order selection of the single step: rescaling the Nordsieck
// history for a new h, and the factors by which h could change at orders
// nq - 1, nq and nq + 1.
#include <algorithm>
#include <cmath>

#include "lsoda_stoda_call.h"

namespace kora {

// Rescales the history for h -> h*rh (after limiting rh); true when the step
// is to be redone rather than finished.
bool LsodaEngine::ChangeStepSize(StodaCall& s) {
    s.rh = std::min(s.rh, rmax);
    s.rh = s.rh / std::max(1.0, std::fabs(h) * hmxi * s.rh);
    // With Adams, also keep h inside the stability region; irflag records
    // that it did, so roundoff trouble later can be blamed on it.
    if (meth != 2) {
        irflag = 0;
        s.pdh = std::max(std::fabs(h) * pdlast, 0.000001);
        if (!(s.rh * s.pdh * 1.00001 < sm1(nq))) {
            s.rh = sm1(nq) / s.pdh;
            irflag = 1;
        }
    }
    double r = 1.0;
    for (int j = 2; j <= l; ++j) {
        r = r * s.rh;
        for (int i = 1; i <= n; ++i)
            YH(i, j) = YH(i, j) * r;
    }
    h = h * s.rh;
    rc = rc * s.rh;
    ialth = l;
    return s.iredo != 0;
}

// Step-size factors at orders nq - 1, nq and nq + 1 (rhup already set).
void LsodaEngine::OrderFactors(StodaCall& s) {
    const double exsm = 1.0 / static_cast<double>(l);
    s.rhsm = 1.0 / (1.2 * std::pow(s.dsm, exsm) + 0.0000012);
    s.rhdn = 0.0;
    if (nq != 1) {
        const double ddn = vmnorm(n, &YH(1, l), ewt()) / coef.tesco[nq - 1][0];
        const double exdn = 1.0 / static_cast<double>(nq);
        s.rhdn = 1.0 / (1.3 * std::pow(ddn, exdn) + 0.0000013);
    }
    if (meth == 2) return;
    // Adams: limit every factor by the stability region as well.
    s.pdh = std::max(std::fabs(h) * pdlast, 0.000001);
    if (l < lmax) s.rhup = std::min(s.rhup, sm1(l) / s.pdh);
    s.rhsm = std::min(s.rhsm, sm1(nq) / s.pdh);
    if (nq > 1) s.rhdn = std::min(s.rhdn, sm1(nq - 1) / s.pdh);
    pdest = 0.0;
}

} // namespace kora

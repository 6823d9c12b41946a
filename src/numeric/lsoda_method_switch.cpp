// The stiffness tests of the single step: after a successful step every 20
// steps, compare the step the other method would allow with the current one.
#include <algorithm>
#include <cmath>

#include "lsoda_stoda_call.h"

namespace kora {

// Adams in use: would BDF allow a step at least `ratio` times larger?
bool LsodaEngine::AdamsToBdfTest(StodaCall& s) {
    const double exsm = 1.0 / static_cast<double>(l);
    double rh1 = 1.0 / (1.2 * std::pow(s.dsm, exsm) + 0.0000012);
    double rh1it = 2.0 * rh1;
    s.pdh = pdlast * std::fabs(h);
    if (s.pdh * rh1 > 0.00001) rh1it = sm1(nq) / s.pdh;
    rh1 = std::min(rh1, rh1it);
    double dm2 = 0.0;
    if (nq <= mxords) {
        dm2 = s.dsm * (cm1[nq - 1] / cm2[nq - 1]);
        s.rh2 = 1.0 / (1.2 * std::pow(dm2, exsm) + 0.0000012);
        s.nqm2 = nq;
    } else {
        s.nqm2 = mxords;
        const int lm2 = mxords + 1;
        const double exm2 = 1.0 / static_cast<double>(lm2);
        const int lm2p1 = lm2 + 1;
        dm2 = vmnorm(n, &YH(1, lm2p1), ewt()) / cm2[mxords - 1];
        s.rh2 = 1.0 / (1.2 * std::pow(dm2, exm2) + 0.0000012);
    }
    return !(s.rh2 < ratio * rh1);
}

// BDF in use: would Adams allow a step as large, without roundoff trouble?
// On a switch, s.rh and s.newq carry the new step ratio and order.
bool LsodaEngine::BdfToAdamsTest(StodaCall& s) {
    const double exsm = 1.0 / static_cast<double>(l);
    int nqm1 = 0;
    double exm1 = 0.0, dm1 = 0.0, rh1 = 0.0;
    if (mxordn >= nq) {
        dm1 = s.dsm * (cm2[nq - 1] / cm1[nq - 1]);
        rh1 = 1.0 / (1.2 * std::pow(dm1, exsm) + 0.0000012);
        nqm1 = nq;
        exm1 = exsm;
    } else {
        nqm1 = mxordn;
        const int lm1 = mxordn + 1;
        exm1 = 1.0 / static_cast<double>(lm1);
        const int lm1p1 = lm1 + 1;
        dm1 = vmnorm(n, &YH(1, lm1p1), ewt()) / cm1[mxordn - 1];
        rh1 = 1.0 / (1.2 * std::pow(dm1, exm1) + 0.0000012);
    }
    double rh1it = 2.0 * rh1;
    s.pdh = pdnorm * std::fabs(h);
    if (s.pdh * rh1 > 0.00001) rh1it = sm1(nqm1) / s.pdh;
    rh1 = std::min(rh1, rh1it);
    const double rh2 = 1.0 / (1.2 * std::pow(s.dsm, exsm) + 0.0000012);
    if (rh1 * ratio < 5.0 * rh2) return false;
    const double alpha = std::max(0.001, rh1);
    dm1 = std::pow(alpha, exm1) * dm1;
    if (dm1 <= 1000.0 * uround * s.pnorm) return false;
    s.rh = rh1;
    s.newq = nqm1;
    return true;
}

} // namespace kora

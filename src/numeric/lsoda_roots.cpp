#include <algorithm>
#include <cmath>

#include "lsoda_engine.h"

// The root finding of the solver family's extension: rchek checks the root
// functions around the current step and roots locates the first sign change
// on the interpolating polynomial, so no extra right-hand sides are needed.

namespace kora {
namespace {

double Sign(double magnitude, double of) {
    return of >= 0.0 ? std::fabs(magnitude) : -std::fabs(magnitude);
}

bool AnyZero(const std::vector<double>& g) {
    return std::any_of(g.begin(), g.end(), [](double v) { return std::fabs(v) <= 0.0; });
}

} // namespace

void LsodaEngine::AllocateRoots(int ng) {
    ngc = ng;
    nge = 0;
    irfnd = 0;
    g0.assign(static_cast<size_t>(ng), 0.0);
    g1.assign(static_cast<size_t>(ng), 0.0);
    gx.assign(static_cast<size_t>(ng), 0.0);
    jroot.assign(static_cast<size_t>(ng), 0);
}

LsodaEngine::RootResult LsodaEngine::rchek(int job, LsodaRootFunctions& g, double* y) {
    std::fill(jroot.begin(), jroot.end(), 0);
    const double hming = (std::fabs(tn) + std::fabs(h)) * uround * 100.0;

    if (job == 1) {
        // g at the initial t; a zero there is looked at a little further on.
        rootT0 = tn;
        if (!g.Roots(rootT0, y, g0.data())) return RootResult::Failed;
        nge = 1;
        if (!AnyZero(g0)) return RootResult::None;
        const double temp1 = Sign(hming, h);
        rootT0 = rootT0 + temp1;
        const double temp2 = temp1 / h;
        for (int i = 1; i <= n; ++i)
            y[i - 1] = y[i - 1] + temp2 * YH(i, 2);
        if (!g.Roots(rootT0, y, g0.data())) return RootResult::Failed;
        ++nge;
        return AnyZero(g0) ? RootResult::ZeroAtStart : RootResult::None;
    }

    if (job == 2) {
        if (irfnd != 0) {
            // A root on the previous step: g0 = g(t0), and a zero there is
            // looked at a little further on.
            intdy(rootT0, 0, y);
            if (!g.Roots(rootT0, y, g0.data())) return RootResult::Failed;
            ++nge;
            if (AnyZero(g0)) {
                const double temp1 = Sign(hming, h);
                rootT0 = rootT0 + temp1;
                if ((rootT0 - tn) * h < 0.0) {
                    intdy(rootT0, 0, y);
                } else {
                    const double temp2 = temp1 / h;
                    for (int i = 1; i <= n; ++i)
                        y[i - 1] = y[i - 1] + temp2 * YH(i, 2);
                }
                if (!g.Roots(rootT0, y, g0.data())) return RootResult::Failed;
                ++nge;
                bool zroot = false;
                for (int i = 0; i < ngc; ++i) {
                    if (std::fabs(g0[i]) > 0.0) continue;
                    jroot[i] = 1;
                    zroot = true;
                }
                if (zroot) return RootResult::Found;
            }
        }
        if (tn == tlast) return RootResult::None;
    }

    // t1: tn or the output time, whichever comes first, and g there.
    double t1 = tn;
    if ((toutc - tn) * h < 0.0) {
        t1 = toutc;
        if ((t1 - rootT0) * h <= 0.0) return RootResult::None;
        intdy(t1, 0, y);
    } else {
        for (int i = 1; i <= n; ++i)
            y[i - 1] = YH(i, 1);
    }
    if (!g.Roots(t1, y, g1.data())) return RootResult::Failed;
    ++nge;

    // The search in (t0, t1), one evaluation of g per round.
    int jflag = 0;
    double x = 0.0;
    for (;;) {
        roots(hming, jflag, rootT0, t1, g0.data(), g1.data(), gx.data(), x);
        if (jflag > 1) break;
        intdy(x, 0, y);
        if (!g.Roots(x, y, gx.data())) return RootResult::Failed;
        ++nge;
    }
    rootT0 = x;
    std::copy(gx.begin(), gx.end(), g0.begin());
    if (jflag == 4) return RootResult::None;
    intdy(x, 0, y);
    return RootResult::Found;
}

void LsodaEngine::StepPastRoot(double* y) {
    const double hming = (std::fabs(tn) + std::fabs(h)) * uround * 100.0;
    const double temp1 = Sign(hming, h);
    rootT0 = rootT0 + temp1;
    if ((rootT0 - tn) * h < 0.0) {
        intdy(rootT0, 0, y);
        return;
    }
    const double temp2 = temp1 / h;
    for (int i = 1; i <= n; ++i)
        y[i - 1] = y[i - 1] + temp2 * YH(i, 2);
}

void LsodaEngine::roots(double hmin, int& jflag, double& x0, double& x1, double* g0v, double* g1v,
                        double* gxv, double& x) {
    const int ng = ngc;
    // Entries whose sign differs at the two ends; imax has the largest
    // relative change, the one the secant follows.
    auto signChange = [&](const double* from, const double* to, bool& zroot) {
        imax = 0;
        double tmax = 0.0;
        zroot = false;
        for (int i = 0; i < ng; ++i) {
            if (std::fabs(to[i]) <= 0.0) {
                zroot = true;
                continue;
            }
            if (Sign(1.0, from[i]) == Sign(1.0, to[i])) continue;
            const double t2 = std::fabs(to[i] / (to[i] - from[i]));
            if (t2 <= tmax) continue;
            tmax = t2;
            imax = i + 1;
        }
        return imax > 0;
    };
    auto setRoots = [&]() {
        for (int i = 0; i < ng; ++i) {
            jroot[i] = 0;
            if (std::fabs(g1v[i]) <= 0.0 || Sign(1.0, g0v[i]) != Sign(1.0, g1v[i])) jroot[i] = 1;
        }
    };
    // Next point: the secant through the ends, with the end that stayed put
    // weighted down (Illinois), kept away from x0.
    auto nextPoint = [&](bool xroot, int nxlast) {
        if (xroot) return false;
        if (nxlast != last)
            alpha = 1.0;
        else if (last != 0)
            alpha = 0.5 * alpha;
        else
            alpha = 2.0 * alpha;
        x2 = x1 - (x1 - x0) * g1v[imax - 1] / (g1v[imax - 1] - alpha * g0v[imax - 1]);
        if (std::fabs(x2 - x0) < hmin && std::fabs(x1 - x0) > 10.0 * hmin)
            x2 = x0 + 0.1 * (x1 - x0);
        jflag = 1;
        x = x2;
        return true;
    };

    if (jflag != 1) {
        bool zroot = false;
        if (!signChange(g0v, g1v, zroot)) {
            std::copy(g1v, g1v + ng, gxv);
            x = x1;
            if (zroot) {
                // A zero at x1 and no sign change in (x0, x1).
                for (int i = 0; i < ng; ++i)
                    jroot[i] = std::fabs(g1v[i]) <= 0.0 ? 1 : 0;
                jflag = 3;
            } else {
                jflag = 4;
            }
            return;
        }
        last = 1;
        nextPoint(false, 0);
        return;
    }

    // Where g changes sign: in (x0, x2) or in (x2, x1).
    const int imxold = imax;
    bool zroot = false;
    const bool sgnchg = signChange(g0v, gxv, zroot);
    if (!sgnchg) imax = imxold;
    const int nxlast = last;
    bool xroot = false;
    if (sgnchg) {
        x1 = x2;
        std::copy(gxv, gxv + ng, g1v);
        last = 1;
    } else if (zroot) {
        // A zero at x2 and no sign change in (x0, x2): x2 is a root.
        x1 = x2;
        std::copy(gxv, gxv + ng, g1v);
        xroot = true;
    } else {
        std::copy(gxv, gxv + ng, g0v);
        x0 = x2;
        last = 0;
    }
    if (std::fabs(x1 - x0) <= hmin) xroot = true;
    if (nextPoint(xroot, nxlast)) return;
    // x1 is the root.
    jflag = 2;
    x = x1;
    std::copy(g1v, g1v + ng, gxv);
    setRoots();
}

} // namespace kora

// One step of the integration: prediction, corrector iteration, local error
// test, the stiffness test that switches between Adams and BDF, and the
// choice of the next step size and order. The published routine is a web of
// numbered jumps; it is kept here as a loop over those labels so each block
// can be read against the original. Locals of one call live in StodaCall.

#include <algorithm>
#include <cmath>

#include "lsoda_stoda_call.h"

namespace kora {

namespace {

enum class At {
    L100,
    L150,
    L160,
    L170,
    L175,
    L200,
    L220,
    L250,
    L270,
    L350,
    L400,
    L405,
    L410,
    L430,
    L435,
    L450,
    L470,
    L478,
    L480,
    L488,
    L500,
    L520,
    L540,
    L550,
    L560,
    L570,
    L580,
    L590,
    L610,
    L620,
    L622,
    L625,
    L630,
    L640,
    L660,
    L670,
    L680,
    L690,
    L700,
    L720
};

// values[k] += values[k + distance] for k upwards. Every value read lies
// ahead of every value written before it, so blocks of four may load
// before they store; the sums are the same.
void AddAhead(double* values, int count, int distance) {
    const double* ahead = values + distance;
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        const double a0 = ahead[k], a1 = ahead[k + 1], a2 = ahead[k + 2], a3 = ahead[k + 3];
        values[k] += a0;
        values[k + 1] += a1;
        values[k + 2] += a2;
        values[k + 3] += a3;
    }
    for (; k < count; ++k)
        values[k] += ahead[k];
}

} // namespace

// yh := yh * Pascal triangle: the predicted Nordsieck array at tn + h.
void LsodaEngine::Predict() {
    double* yh1 = yh();
    int i1 = nqnyh + 1;
    for (int jb = 1; jb <= nq; ++jb) {
        i1 = i1 - nyh;
        AddAhead(yh1 + (i1 - 1), nqnyh - i1 + 1, nyh);
    }
}

// Undoes Predict after a failed step.
void LsodaEngine::Retract() {
    double* yh1 = yh();
    int i1 = nqnyh + 1;
    for (int jb = 1; jb <= nq; ++jb) {
        i1 = i1 - nyh;
        for (int i = i1; i <= nqnyh; ++i)
            yh1[i - 1] = yh1[i - 1] - yh1[i - 1 + nyh];
    }
}

void LsodaEngine::FirstStepSetup(StodaCall& s) {
    lmax = maxord + 1;
    nq = 1;
    l = 2;
    ialth = 2;
    rmax = 10000.0;
    rc = 0.0;
    el0 = 1.0;
    crate = 0.7;
    hold = h;
    nslp = 0;
    ipup = miter;
    s.iret = 3;
    // Switching parameters; the Adams method is assumed first.
    icount = 20;
    irflag = 0;
    pdest = 0.0;
    pdlast = 0.0;
    ratio = 5.0;
    cfode(2, coef);
    for (int i = 1; i <= 5; ++i)
        cm2[i - 1] = coef.tesco[i - 1][1] * coef.elco[i - 1][i];
    cfode(1, coef);
    for (int i = 1; i <= 12; ++i)
        cm1[i - 1] = coef.tesco[i - 1][1] * coef.elco[i - 1][i];
}

void LsodaEngine::stoda(LsodaRhs& f, bool& rhsFailed) {
    rhsFailed = false;
    StodaCall s;
    double* y = ywork.data();
    double* sf = savf();
    double* ac = acor();
    const double* w = ewt();

    kflag = 0;
    s.told = tn;
    s.ncf = 0;
    ierpj = 0;
    iersl = 0;
    jcur = 0;
    icf = 0;
    s.delp = 0.0;
    At at = At::L200;
    if (jstart > 0)
        at = At::L200;
    else if (jstart == -1)
        at = At::L100;
    else if (jstart == -2)
        at = At::L160;
    else {
        FirstStepSetup(s);
        at = At::L150;
    }

    for (;;) {
        switch (at) {
        case At::L100:
            // Continuing with a changed method: new coefficients, and h is
            // held for l steps.
            ipup = miter;
            lmax = maxord + 1;
            if (ialth == 1) ialth = 2;
            if (meth == mused) {
                at = At::L160;
                break;
            }
            cfode(meth, coef);
            ialth = l;
            s.iret = 1;
            at = At::L150;
            break;
        case At::L150:
            for (int i = 1; i <= l; ++i)
                el[i - 1] = coef.elco[nq - 1][i - 1];
            nqnyh = nq * nyh;
            rc = rc * el[0] / el0;
            el0 = el[0];
            conit = 0.5 / static_cast<double>(nq + 2);
            at = s.iret == 1 ? At::L160 : (s.iret == 2 ? At::L170 : At::L200);
            break;
        case At::L160:
            if (h == hold) {
                at = At::L200;
                break;
            }
            s.rh = h / hold;
            h = hold;
            s.iredo = 3;
            at = At::L175;
            break;
        case At::L170:
            s.rh = std::max(s.rh, hmin / std::fabs(h));
            at = At::L175;
            break;
        case At::L175:
            at = ChangeStepSize(s) ? At::L200 : At::L690;
            break;
        case At::L200:
            // Predict; refresh the matrix when h*l0 changed much or after msbp steps.
            if (std::fabs(rc - 1.0) > ccmax) ipup = miter;
            if (nst >= nslp + msbp) ipup = miter;
            tn = tn + h;
            Predict();
            s.pnorm = vmnorm(n, yh(), w);
            at = At::L220;
            break;
        case At::L220:
            s.m = 0;
            s.rate = 0.0;
            s.del = 0.0;
            for (int i = 1; i <= n; ++i)
                y[i - 1] = YH(i, 1);
            nfe = nfe + 1;
            if (!f.Derivatives(tn, y, sf)) {
                at = At::L435;
                break;
            }
            if (ipup <= 0) {
                at = At::L250;
                break;
            }
            if (!prja(f)) {
                at = At::L435;
                break;
            }
            ipup = 0;
            rc = 1.0;
            nslp = nst;
            crate = 0.7;
            at = ierpj != 0 ? At::L430 : At::L250;
            break;
        case At::L250:
            for (int i = 0; i < n; ++i)
                ac[i] = 0.0;
            at = At::L270;
            break;
        case At::L270:
            if (miter != 0) {
                at = At::L350;
                break;
            }
            // Functional iteration.
            for (int i = 1; i <= n; ++i) {
                sf[i - 1] = h * sf[i - 1] - YH(i, 2);
                y[i - 1] = sf[i - 1] - ac[i - 1];
            }
            s.del = vmnorm(n, y, w);
            for (int i = 1; i <= n; ++i) {
                y[i - 1] = YH(i, 1) + el[0] * sf[i - 1];
                ac[i - 1] = sf[i - 1];
            }
            at = At::L400;
            break;
        case At::L350:
            // Chord iteration with the factored iteration matrix.
            for (int i = 1; i <= n; ++i)
                y[i - 1] = h * sf[i - 1] - (YH(i, 2) + ac[i - 1]);
            solsy(y);
            if (iersl < 0) {
                at = At::L430;
                break;
            }
            if (iersl > 0) {
                at = At::L410;
                break;
            }
            s.del = vmnorm(n, y, w);
            for (int i = 1; i <= n; ++i) {
                ac[i - 1] = ac[i - 1] + y[i - 1];
                y[i - 1] = YH(i, 1) + el[0] * ac[i - 1];
            }
            at = At::L400;
            break;
        case At::L400: {
            // Convergence test; on convergence pdest estimates the local
            // Lipschitz constant for the stiffness test.
            if (s.del <= 100.0 * s.pnorm * uround) {
                at = At::L450;
                break;
            }
            if (s.m == 0 && meth == 1) {
                at = At::L405;
                break;
            }
            if (s.m != 0) {
                double rm = 1024.0;
                if (s.del <= 1024.0 * s.delp) rm = s.del / s.delp;
                s.rate = std::max(s.rate, rm);
                crate = std::max(0.2 * crate, rm);
            }
            const double dcon =
                s.del * std::min(1.0, 1.5 * crate) / (coef.tesco[nq - 1][1] * conit);
            if (dcon > 1.0) {
                at = At::L405;
                break;
            }
            pdest = std::max(pdest, s.rate / std::fabs(h * el[0]));
            if (pdest != 0.0) pdlast = pdest;
            at = At::L450;
            break;
        }
        case At::L405:
            s.m = s.m + 1;
            if (s.m == maxcor) {
                at = At::L410;
                break;
            }
            if (s.m >= 2 && s.del > 2.0 * s.delp) {
                at = At::L410;
                break;
            }
            s.delp = s.del;
            nfe = nfe + 1;
            if (!f.Derivatives(tn, y, sf)) {
                at = At::L435;
                break;
            }
            at = At::L270;
            break;
        case At::L410:
            // No convergence: retry with a fresh Jacobian if it was stale.
            if (miter == 0 || jcur == 1) {
                at = At::L430;
                break;
            }
            icf = 1;
            ipup = miter;
            at = At::L220;
            break;
        case At::L430:
            icf = 2;
            s.ncf = s.ncf + 1;
            rmax = 2.0;
            tn = s.told;
            Retract();
            if (ierpj < 0 || iersl < 0) {
                at = At::L680;
                break;
            }
            if (std::fabs(h) <= hmin * 1.00001 || s.ncf == mxncf) {
                at = At::L670;
                break;
            }
            s.rh = 0.25;
            ipup = miter;
            s.iredo = 1;
            at = At::L170;
            break;
        case At::L435:
            // The right-hand side could not be evaluated at a point of the
            // step being tried: the step is too long, as after a corrector
            // failure. Retry it a quarter as long, up to mxncf failures or
            // until the step would be lost in the roundoff of tn (within 100
            // units, as the published driver bounds the relative tolerance).
            icf = 2;
            s.ncf = s.ncf + 1;
            rmax = 2.0;
            tn = s.told;
            Retract();
            if (std::fabs(h) <= hmin * 1.00001 || s.ncf == mxncf ||
                0.25 * std::fabs(h) <= 100.0 * uround * std::fabs(tn)) {
                rhsFailed = true;
                at = At::L670;
                break;
            }
            s.rh = 0.25;
            ipup = miter;
            s.iredo = 1;
            at = At::L170;
            break;
        case At::L450:
            // Converged: local error test.
            jcur = 0;
            if (s.m == 0) s.dsm = s.del / coef.tesco[nq - 1][1];
            if (s.m > 0) s.dsm = vmnorm(n, ac, w) / coef.tesco[nq - 1][1];
            if (s.dsm > 1.0) {
                at = At::L500;
                break;
            }
            kflag = 0;
            s.iredo = 0;
            nst = nst + 1;
            hu = h;
            nqu = nq;
            mused = meth;
            for (int j = 1; j <= l; ++j)
                for (int i = 1; i <= n; ++i)
                    YH(i, j) = YH(i, j) + el[j - 1] * ac[i - 1];
            icount = icount - 1;
            if (icount >= 0) {
                at = At::L488;
                break;
            }
            if (meth == 2) {
                at = At::L480;
                break;
            }
            // Adams above order 5 counts as non-stiff. With estimates
            // polluted by roundoff, switch only if stability limited h.
            if (nq > 5) {
                at = At::L488;
                break;
            }
            if (s.dsm > 100.0 * s.pnorm * uround && pdest != 0.0) {
                at = At::L470;
                break;
            }
            if (irflag == 0) {
                at = At::L488;
                break;
            }
            s.rh2 = 2.0;
            s.nqm2 = std::min(nq, mxords);
            at = At::L478;
            break;
        case At::L470:
            at = AdamsToBdfTest(s) ? At::L478 : At::L488;
            break;
        case At::L478:
            s.rh = s.rh2;
            icount = 20;
            meth = 2;
            miter = jtyp;
            pdlast = 0.0;
            nq = s.nqm2;
            l = nq + 1;
            at = At::L170;
            break;
        case At::L480:
            if (!BdfToAdamsTest(s)) {
                at = At::L488;
                break;
            }
            icount = 20;
            meth = 1;
            miter = 0;
            pdlast = 0.0;
            nq = s.newq;
            l = nq + 1;
            at = At::L170;
            break;
        case At::L488:
            ialth = ialth - 1;
            if (ialth == 0) {
                at = At::L520;
                break;
            }
            if (ialth > 1 || l == lmax) {
                at = At::L700;
                break;
            }
            // Keep acor for a possible order increase on the next step.
            for (int i = 1; i <= n; ++i)
                YH(i, lmax) = ac[i - 1];
            at = At::L700;
            break;
        case At::L500:
            // Error test failed: restore and retry, forcing smaller steps
            // after repeated failures.
            kflag = kflag - 1;
            tn = s.told;
            Retract();
            rmax = 2.0;
            if (std::fabs(h) <= hmin * 1.00001) {
                at = At::L660;
                break;
            }
            if (kflag <= -3) {
                at = At::L640;
                break;
            }
            s.iredo = 2;
            s.rhup = 0.0;
            at = At::L540;
            break;
        case At::L520:
            s.rhup = 0.0;
            if (l != lmax) {
                for (int i = 1; i <= n; ++i)
                    sf[i - 1] = ac[i - 1] - YH(i, lmax);
                const double dup = vmnorm(n, sf, w) / coef.tesco[nq - 1][2];
                const double exup = 1.0 / static_cast<double>(l + 1);
                s.rhup = 1.0 / (1.4 * std::pow(dup, exup) + 0.0000014);
            }
            at = At::L540;
            break;
        case At::L540:
        case At::L550:
            OrderFactors(s);
            at = At::L560;
            break;
        case At::L560:
            if (s.rhsm >= s.rhup)
                at = At::L570;
            else
                at = s.rhup > s.rhdn ? At::L590 : At::L580;
            break;
        case At::L570:
            if (s.rhsm < s.rhdn) {
                at = At::L580;
                break;
            }
            s.newq = nq;
            s.rh = s.rhsm;
            at = At::L620;
            break;
        case At::L580:
            s.newq = nq - 1;
            s.rh = s.rhdn;
            if (kflag < 0 && s.rh > 1.0) s.rh = 1.0;
            at = At::L620;
            break;
        case At::L590: {
            s.newq = l;
            s.rh = s.rhup;
            if (s.rh < 1.1) {
                at = At::L610;
                break;
            }
            const double r = el[l - 1] / static_cast<double>(l);
            for (int i = 1; i <= n; ++i)
                YH(i, s.newq + 1) = ac[i - 1] * r;
            at = At::L630;
            break;
        }
        case At::L610:
            ialth = 3;
            at = At::L700;
            break;
        case At::L620:
            // With Adams limited by stability, skip the 10 percent test.
            if (meth != 2 && s.rh * s.pdh * 1.00001 >= sm1(s.newq)) {
                at = At::L625;
                break;
            }
            at = At::L622;
            break;
        case At::L622:
            at = (kflag == 0 && s.rh < 1.1) ? At::L610 : At::L625;
            break;
        case At::L625:
            if (kflag <= -2) s.rh = std::min(s.rh, 0.2);
            at = s.newq == nq ? At::L170 : At::L630;
            break;
        case At::L630:
            nq = s.newq;
            l = nq + 1;
            s.iret = 2;
            at = At::L150;
            break;
        case At::L640:
            // Three or more error-test failures: restart at order 1 from a
            // fresh derivative with h cut by 10.
            if (kflag == -10) {
                at = At::L660;
                break;
            }
            s.rh = 0.1;
            s.rh = std::max(hmin / std::fabs(h), s.rh);
            h = h * s.rh;
            for (int i = 1; i <= n; ++i)
                y[i - 1] = YH(i, 1);
            if (!f.Derivatives(tn, y, sf)) {
                rhsFailed = true;
                return;
            }
            nfe = nfe + 1;
            for (int i = 1; i <= n; ++i)
                YH(i, 2) = h * sf[i - 1];
            ipup = miter;
            ialth = 5;
            if (nq == 1) {
                at = At::L200;
                break;
            }
            nq = 1;
            l = 2;
            s.iret = 3;
            at = At::L150;
            break;
        case At::L660:
            kflag = -1;
            at = At::L720;
            break;
        case At::L670:
            kflag = -2;
            at = At::L720;
            break;
        case At::L680:
            kflag = -3;
            at = At::L720;
            break;
        case At::L690:
            rmax = 10.0;
            at = At::L700;
            break;
        case At::L700: {
            const double r = 1.0 / coef.tesco[nqu - 1][1];
            for (int i = 0; i < n; ++i)
                ac[i] = ac[i] * r;
            at = At::L720;
            break;
        }
        case At::L720:
            hold = h;
            jstart = 1;
            return;
        }
    }
}

} // namespace kora

#include "minpack.h"

#include <algorithm>
#include <cmath>

// Powell's hybrid method: trust-region dogleg steps on a forward-difference
// Jacobian that is kept up to date by Broyden rank-one updates of its QR
// factors and recomputed only after repeated failures.

namespace kora {

namespace {

constexpr double p1 = 1.0e-1;
constexpr double p5 = 5.0e-1;
constexpr double p001 = 1.0e-3;
constexpr double p0001 = 1.0e-4;

struct HybridSolver {
    MinpackFcn fcn;
    int n;
    double* x;
    double* fvec;
    double xtol;
    int maxfev, ml, mu;
    double epsfcn;
    double* diag;
    int mode;
    double factor;
    int nprint;
    double* fjac;
    int ldfjac;
    double* r;
    int lr;
    double *qtf, *wa1, *wa2, *wa3, *wa4;
    const ColumnGrouping* groups;
    const MinpackFcn* jacobian;

    int info = 0;
    int nfev = 0;
    int iflag = 0;
    int iter = 1;
    int ncsuc = 0, ncfail = 0, nslow1 = 0, nslow2 = 0;
    bool sing = false;
    double delta = 0.0, fnorm = 0.0, xnorm = 0.0;

    double& J(int i, int j) { return fjac[(j - 1) * ldfjac + (i - 1)]; }

    bool inputValid() const {
        if (n <= 0 || xtol < 0.0 || maxfev <= 0 || ml < 0 || mu < 0 || factor <= 0.0 ||
            ldfjac < n || lr < (n * (n + 1)) / 2)
            return false;
        if (mode == 2)
            for (int j = 0; j < n; ++j)
                if (diag[j] <= 0.0) return false;
        return true;
    }

    void run() {
        if (!inputValid()) return;
        iflag = 1;
        fcn(n, x, fvec, &iflag);
        nfev = 1;
        if (iflag < 0) return;
        fnorm = enorm(n, fvec);
        const int msum = std::min(ml + mu + 1, n);
        for (;;) {
            iflag = 2;
            if (jacobian != nullptr) {
                // The analytic Jacobian costs no evaluation of fcn.
                (*jacobian)(n, x, fjac, &iflag);
                if (iflag < 0) return;
                factorJacobian();
                if (!iterateOnFactors()) return;
                continue;
            }
            if (groups != nullptr && ml + mu + 1 >= n)
                fdjac1Grouped(fcn, n, x, fvec, fjac, ldfjac, &iflag, *groups, epsfcn, wa1, wa2);
            else
                fdjac1(fcn, n, x, fvec, fjac, ldfjac, &iflag, ml, mu, epsfcn, wa1, wa2);
            nfev += msum;
            if (iflag < 0) return;
            factorJacobian();
            if (!iterateOnFactors()) return;
        }
    }

    // QR of the fresh Jacobian: R into r (packed by rows), Q into fjac, Q^T fvec into qtf.
    void factorJacobian() {
        int unusedPivot[1];
        qrfac(n, n, fjac, ldfjac, false, unusedPivot, 1, wa1, wa2, wa3);
        if (iter == 1) xnorm = FirstScaling(n, mode, wa2, x, factor, diag, wa3, delta);
        for (int i = 0; i < n; ++i)
            qtf[i] = fvec[i];
        for (int j = 1; j <= n; ++j) {
            if (J(j, j) == 0.0) continue;
            double sum = 0.0;
            for (int i = j; i <= n; ++i)
                sum += J(i, j) * qtf[i - 1];
            const double temp = -sum / J(j, j);
            for (int i = j; i <= n; ++i)
                qtf[i - 1] += J(i, j) * temp;
        }
        sing = false;
        for (int j = 1; j <= n; ++j) {
            int l = j;
            for (int i = 1; i <= j - 1; ++i) {
                r[l - 1] = J(i, j);
                l += n - i;
            }
            r[l - 1] = wa1[j - 1];
            if (wa1[j - 1] == 0.0) sing = true;
        }
        qform(n, n, fjac, ldfjac, wa1);
        WidenScaling(n, mode, wa2, diag);
    }

    // Inner iterations on the current factors. Returns true when the Jacobian
    // must be recomputed, false when the solver terminates.
    bool iterateOnFactors() {
        bool jeval = true;
        for (;;) {
            if (nprint > 0) {
                iflag = 0;
                if ((iter - 1) % nprint == 0) fcn(n, x, fvec, &iflag);
                if (iflag < 0) return false;
            }
            dogleg(n, r, lr, diag, qtf, delta, wa1, wa2, wa3);
            for (int j = 0; j < n; ++j) {
                wa1[j] = -wa1[j];
                wa2[j] = x[j] + wa1[j];
                wa3[j] = diag[j] * wa1[j];
            }
            const double pnorm = enorm(n, wa3);
            if (iter == 1) delta = std::min(delta, pnorm);

            iflag = 1;
            fcn(n, wa2, wa4, &iflag);
            ++nfev;
            if (iflag < 0) return false;
            const double fnorm1 = enorm(n, wa4);

            const double actred = fnorm1 < fnorm ? 1.0 - (fnorm1 / fnorm) * (fnorm1 / fnorm) : -1.0;
            const double prered = predictedReduction();
            const double ratio = prered > 0.0 ? actred / prered : 0.0;
            updateStepBound(ratio, pnorm);

            if (ratio >= p0001) {
                for (int j = 0; j < n; ++j) {
                    x[j] = wa2[j];
                    wa2[j] = diag[j] * x[j];
                    fvec[j] = wa4[j];
                }
                xnorm = enorm(n, wa2);
                fnorm = fnorm1;
                ++iter;
            }

            ++nslow1;
            if (actred >= p001) nslow1 = 0;
            if (jeval) ++nslow2;
            if (actred >= p1) nslow2 = 0;

            if (delta <= xtol * xnorm || fnorm == 0.0) info = 1;
            if (info != 0) return false;
            if (nfev >= maxfev) info = 2;
            if (p1 * std::max(p1 * delta, pnorm) <= dpmpar(1) * xnorm) info = 3;
            if (nslow2 == 5) info = 4;
            if (nslow1 == 10) info = 5;
            if (info != 0) return false;

            if (ncfail == 2) return true;
            broydenUpdate(ratio, pnorm);
            jeval = false;
        }
    }

    // Predicted scaled reduction of the linear model; leaves R p + Q^T f in wa3.
    double predictedReduction() {
        int l = 1;
        for (int i = 1; i <= n; ++i) {
            double sum = 0.0;
            for (int j = i; j <= n; ++j)
                sum += r[(l++) - 1] * wa1[j - 1];
            wa3[i - 1] = qtf[i - 1] + sum;
        }
        const double temp = enorm(n, wa3);
        return temp < fnorm ? 1.0 - (temp / fnorm) * (temp / fnorm) : 0.0;
    }

    void updateStepBound(double ratio, double pnorm) {
        if (ratio < p1) {
            ncsuc = 0;
            ++ncfail;
            delta = p5 * delta;
            return;
        }
        ncfail = 0;
        ++ncsuc;
        if (ratio >= p5 || ncsuc > 1) delta = std::max(delta, pnorm / p5);
        if (std::fabs(ratio - 1.0) <= p1) delta = pnorm / p5;
    }

    // Rank-one correction of the Jacobian applied to its factors Q, R and to qtf.
    void broydenUpdate(double ratio, double pnorm) {
        for (int j = 1; j <= n; ++j) {
            double sum = 0.0;
            for (int i = 1; i <= n; ++i)
                sum += J(i, j) * wa4[i - 1];
            wa2[j - 1] = (sum - wa3[j - 1]) / pnorm;
            wa1[j - 1] = diag[j - 1] * ((diag[j - 1] * wa1[j - 1]) / pnorm);
            if (ratio >= p0001) qtf[j - 1] = sum;
        }
        r1updt(n, n, r, lr, wa1, wa2, wa3, &sing);
        r1mpyq(n, n, fjac, ldfjac, wa2, wa3);
        r1mpyq(1, n, qtf, 1, wa2, wa3);
    }

    void finish() {
        if (iflag < 0) info = iflag;
        iflag = 0;
        if (nprint > 0) fcn(n, x, fvec, &iflag);
    }
};

} // namespace

void hybrd(MinpackFcn fcn, int n, double* x, double* fvec, double xtol, int maxfev, int ml, int mu,
           double epsfcn, double* diag, int mode, double factor, int nprint, int* info, int* nfev,
           double* fjac, int ldfjac, double* r, int lr, double* qtf, double* wa1, double* wa2,
           double* wa3, double* wa4, const ColumnGrouping* groups, const MinpackFcn* jacobian) {
    HybridSolver s{fcn,    n,    x,    fvec,   xtol,   maxfev, ml,     mu,
                   epsfcn, diag, mode, factor, nprint, fjac,   ldfjac, r,
                   lr,     qtf,  wa1,  wa2,    wa3,    wa4,    groups, jacobian};
    s.run();
    s.finish();
    *info = s.info;
    *nfev = s.nfev;
}

void hybrd1(MinpackFcn fcn, int n, double* x, double* fvec, double tol, int* info, double* wa,
            int lwa, const ColumnGrouping* groups, const MinpackFcn* jacobian) {
    *info = 0;
    if (n <= 0 || tol < 0.0 || lwa < (n * (3 * n + 13)) / 2) return;
    constexpr double factor = 100.0;
    const int maxfev = 200 * (n + 1);
    const int lr = (n * (n + 1)) / 2;
    // wa: diag, qtf, wa1..wa4 (n each), then r, then fjac (n x n).
    for (int j = 0; j < n; ++j)
        wa[j] = 1.0;
    int nfev = 0;
    hybrd(fcn, n, x, fvec, tol, maxfev, n - 1, n - 1, 0.0, wa, 2, factor, 0, info, &nfev,
          wa + 6 * n + lr, n, wa + 6 * n, lr, wa + n, wa + 2 * n, wa + 3 * n, wa + 4 * n,
          wa + 5 * n, groups, jacobian);
    if (*info == 5) *info = 4;
}

} // namespace kora

#include <algorithm>
#include <cmath>

#include "minpack.h"
#include "minpack_lm.h"

// Levenberg-Marquardt with a trust region |diag * step| <= delta: each outer
// iteration differences the Jacobian and factors it; inner iterations choose
// the parameter par for the current delta and shrink delta until a step
// reduces the sum of squares.

namespace kora {

namespace {

constexpr double p1 = 1.0e-1;
constexpr double p5 = 5.0e-1;
constexpr double p25 = 2.5e-1;
constexpr double p75 = 7.5e-1;
constexpr double p0001 = 1.0e-4;

struct LmSolver {
    LeastSquaresFcn fcn;
    int m, n;
    double* x;
    double* fvec;
    double ftol, xtol, gtol;
    int maxfev;
    double epsfcn;
    double* diag;
    int mode;
    double factor;
    double* fjac;
    int ldfjac;
    int* ipvt;
    double *qtf, *wa1, *wa2, *wa3, *wa4;

    int info = 0;
    int nfev = 0;
    int iflag = 0;
    int iter = 1;
    double epsmch = dpmpar(1);
    double par = 0.0, delta = 0.0, fnorm = 0.0, xnorm = 0.0, gnorm = 0.0;

    double& J(int i, int j) { return fjac[(j - 1) * ldfjac + (i - 1)]; }

    bool inputValid() const {
        if (n <= 0 || m < n || ldfjac < m || ftol < 0.0 || xtol < 0.0 || gtol < 0.0 ||
            maxfev <= 0 || factor <= 0.0)
            return false;
        if (mode == 2)
            for (int j = 0; j < n; ++j)
                if (diag[j] <= 0.0) return false;
        return true;
    }

    void run() {
        if (!inputValid()) return;
        iflag = 1;
        fcn(m, n, x, fvec, &iflag);
        nfev = 1;
        if (iflag < 0) return;
        fnorm = enorm(m, fvec);
        for (;;) {
            iflag = 2;
            fdjac2(fcn, m, n, x, fvec, fjac, ldfjac, &iflag, epsfcn, wa4);
            nfev += n;
            if (iflag < 0) return;
            // Column norms of the Jacobian come back in wa2, R's diagonal in wa1.
            qrfac(m, n, fjac, ldfjac, true, ipvt, n, wa1, wa2, wa3);
            if (iter == 1) xnorm = FirstScaling(n, mode, wa2, x, factor, diag, wa3, delta);
            formQtf();
            gnorm = scaledGradientNorm();
            if (gnorm <= gtol) info = 4;
            if (info != 0) return;
            WidenScaling(n, mode, wa2, diag);
            if (!innerIterations()) return;
        }
    }

    // Q^T fvec into qtf (first n entries); R's diagonal back into fjac.
    void formQtf() {
        for (int i = 0; i < m; ++i)
            wa4[i] = fvec[i];
        for (int j = 1; j <= n; ++j) {
            if (J(j, j) != 0.0) {
                double sum = 0.0;
                for (int i = j; i <= m; ++i)
                    sum += J(i, j) * wa4[i - 1];
                const double temp = -sum / J(j, j);
                for (int i = j; i <= m; ++i)
                    wa4[i - 1] += J(i, j) * temp;
            }
            J(j, j) = wa1[j - 1];
            qtf[j - 1] = wa4[j - 1];
        }
    }

    // Largest cosine between fvec and a Jacobian column.
    double scaledGradientNorm() {
        double g = 0.0;
        if (fnorm == 0.0) return g;
        for (int j = 1; j <= n; ++j) {
            const int l = ipvt[j - 1];
            if (wa2[l - 1] == 0.0) continue;
            double sum = 0.0;
            for (int i = 1; i <= j; ++i)
                sum += J(i, j) * (qtf[i - 1] / fnorm);
            g = std::max(g, std::fabs(sum / wa2[l - 1]));
        }
        return g;
    }

    // Trial steps on the current factors until one succeeds (true: go on with
    // a new Jacobian) or a test ends the search (false).
    bool innerIterations() {
        for (;;) {
            lmpar(n, fjac, ldfjac, ipvt, diag, qtf, delta, &par, wa1, wa2, wa3, wa4);
            for (int j = 0; j < n; ++j) {
                wa1[j] = -wa1[j];
                wa2[j] = x[j] + wa1[j];
                wa3[j] = diag[j] * wa1[j];
            }
            const double pnorm = enorm(n, wa3);
            if (iter == 1) delta = std::min(delta, pnorm);

            iflag = 1;
            fcn(m, n, wa2, wa4, &iflag);
            ++nfev;
            if (iflag < 0) return false;
            const double fnorm1 = enorm(m, wa4);

            double actred = -1.0;
            if (p1 * fnorm1 < fnorm) actred = 1.0 - (fnorm1 / fnorm) * (fnorm1 / fnorm);

            // Predicted reduction and directional derivative of the linear model.
            for (int j = 1; j <= n; ++j) {
                wa3[j - 1] = 0.0;
                const double temp = wa1[ipvt[j - 1] - 1];
                for (int i = 1; i <= j; ++i)
                    wa3[i - 1] += J(i, j) * temp;
            }
            const double temp1 = enorm(n, wa3) / fnorm;
            const double temp2 = (std::sqrt(par) * pnorm) / fnorm;
            const double prered = temp1 * temp1 + temp2 * temp2 / p5;
            const double dirder = -(temp1 * temp1 + temp2 * temp2);
            const double ratio = prered != 0.0 ? actred / prered : 0.0;

            updateTrustRegion(ratio, actred, dirder, pnorm, fnorm1);

            if (ratio >= p0001) {
                for (int j = 0; j < n; ++j) {
                    x[j] = wa2[j];
                    wa2[j] = diag[j] * x[j];
                }
                for (int i = 0; i < m; ++i)
                    fvec[i] = wa4[i];
                xnorm = enorm(n, wa2);
                fnorm = fnorm1;
                ++iter;
            }

            const bool fSmall = std::fabs(actred) <= ftol && prered <= ftol && p5 * ratio <= 1.0;
            if (fSmall) info = 1;
            if (delta <= xtol * xnorm) info = 2;
            if (fSmall && info == 2) info = 3;
            if (info != 0) return false;

            if (nfev >= maxfev) info = 5;
            if (std::fabs(actred) <= epsmch && prered <= epsmch && p5 * ratio <= 1.0) info = 6;
            if (delta <= epsmch * xnorm) info = 7;
            if (gnorm <= epsmch) info = 8;
            if (info != 0) return false;

            if (ratio >= p0001) return true;
        }
    }

    void updateTrustRegion(double ratio, double actred, double dirder, double pnorm,
                           double fnorm1) {
        if (ratio <= p25) {
            double temp = actred >= 0.0 ? p5 : p5 * dirder / (dirder + p5 * actred);
            if (p1 * fnorm1 >= fnorm || temp < p1) temp = p1;
            delta = temp * std::min(delta, pnorm / p1);
            par = par / temp;
        } else if (par == 0.0 || ratio >= p75) {
            delta = pnorm / p5;
            par = p5 * par;
        }
    }
};

} // namespace

void lmdif(LeastSquaresFcn fcn, int m, int n, double* x, double* fvec, double ftol, double xtol,
           double gtol, int maxfev, double epsfcn, double* diag, int mode, double factor,
           int nprint, int* info, int* nfev, double* fjac, int ldfjac, int* ipvt, double* qtf,
           double* wa1, double* wa2, double* wa3, double* wa4) {
    (void)nprint; // progress is reported by fcn itself (iflag 0 is never sent)
    LmSolver solver{fcn,  m,      n,    x,      fvec, ftol, xtol, gtol, maxfev, epsfcn, diag,
                    mode, factor, fjac, ldfjac, ipvt, qtf,  wa1,  wa2,  wa3,    wa4};
    solver.run();
    if (solver.iflag < 0) solver.info = solver.iflag;
    *info = solver.info;
    *nfev = solver.nfev;
}

} // namespace kora

#include "eispack.h"

#include <algorithm>
#include <cmath>

// The revised QR iteration for the eigenvalues of an upper Hessenberg matrix:
// negligibility is judged by whether adding a subdiagonal element changes a
// reference sum, instead of comparing with a machine-precision constant.
// Indices are 1-based, as in the published routine.

namespace kora {

namespace {

constexpr int kIterationsPerEigenvalue = 30;
constexpr double kExceptionalShift = 0.75;
constexpr double kExceptionalProduct = -0.4375;

// Fortran's sign transfer: |a| carrying the sign of b, where b = 0 counts as positive.
double dsign(double a, double b) {
    return b >= 0.0 ? std::fabs(a) : -std::fabs(a);
}

class HessenbergQR {
public:
    HessenbergQR(int n, int low, int igh, double* h, double* wr, double* wi)
        : n_(n), low_(low), igh_(igh), h_(h), wr_(wr), wi_(wi) {}

    int run() {
        storeIsolatedRootsAndNorm();
        int en = igh_;
        double t = 0.0; // accumulated exceptional shifts
        int itn = kIterationsPerEigenvalue * n_;
        while (en >= low_) {
            int its = 0;
            const int na = en - 1;
            const int enm2 = na - 1;
            for (;;) {
                const int l = smallSubdiagonal(en);
                double x = at(en, en);
                if (l == en) {
                    wr_[en - 1] = x + t;
                    wi_[en - 1] = 0.0;
                    en = na;
                    break;
                }
                double y = at(na, na);
                double w = at(en, na) * at(na, en);
                if (l == na) {
                    storePair(en, x, y, w, t);
                    en = enm2;
                    break;
                }
                if (itn == 0) return en;
                if (its == 10 || its == 20) {
                    t += x;
                    for (int i = low_; i <= en; ++i)
                        at(i, i) -= x;
                    const double s = std::fabs(at(en, na)) + std::fabs(at(na, enm2));
                    x = kExceptionalShift * s;
                    y = x;
                    w = kExceptionalProduct * s * s;
                }
                ++its;
                --itn;
                doubleStep(l, en, x, y, w);
            }
        }
        return 0;
    }

private:
    int n_, low_, igh_;
    double* h_;
    double* wr_;
    double* wi_;
    double norm_ = 0.0;

    double& at(int i, int j) { return h_[(j - 1) * n_ + (i - 1)]; }

    // Roots isolated by balancing sit outside low..igh; the norm is the sum of
    // absolute values over the Hessenberg part.
    void storeIsolatedRootsAndNorm() {
        int k = 1;
        for (int i = 1; i <= n_; ++i) {
            for (int j = k; j <= n_; ++j)
                norm_ += std::fabs(at(i, j));
            k = i;
            if (i >= low_ && i <= igh_) continue;
            wr_[i - 1] = at(i, i);
            wi_[i - 1] = 0.0;
        }
    }

    // Largest l in low..en whose subdiagonal element h(l, l-1) is negligible
    // (low when none is).
    int smallSubdiagonal(int en) {
        for (int l = en; l > low_; --l) {
            double s = std::fabs(at(l - 1, l - 1)) + std::fabs(at(l, l));
            if (s == 0.0) s = norm_;
            const double tst1 = s;
            const double tst2 = tst1 + std::fabs(at(l, l - 1));
            if (tst2 == tst1) return l;
        }
        return low_;
    }

    // The trailing 2 x 2 block has split off: x is its (2,2) element, y its
    // (1,1) element, w the off-diagonal product and t the accumulated shift.
    void storePair(int en, double x, double y, double w, double t) {
        const int na = en - 1;
        const double p = (y - x) / 2.0;
        const double q = p * p + w;
        double zz = std::sqrt(std::fabs(q));
        x += t;
        if (q >= 0.0) {
            zz = p + dsign(zz, p);
            wr_[na - 1] = x + zz;
            wr_[en - 1] = wr_[na - 1];
            if (zz != 0.0) wr_[en - 1] = x - w / zz;
            wi_[na - 1] = 0.0;
            wi_[en - 1] = 0.0;
        } else {
            wr_[na - 1] = x + p;
            wr_[en - 1] = x + p;
            wi_[na - 1] = zz;
            wi_[en - 1] = -zz;
        }
    }

    // One Francis double-shift QR step on rows l..en; x, y and w define the shifts.
    void doubleStep(int l, int en, double x, double y, double w) {
        const int na = en - 1;
        const int enm2 = na - 1;
        double p = 0.0, q = 0.0, r = 0.0;
        // Look for two consecutive small subdiagonal elements.
        int m = enm2;
        for (; m >= l; --m) {
            const double zz = at(m, m);
            r = x - zz;
            double s = y - zz;
            p = (r * s - w) / at(m + 1, m) + at(m, m + 1);
            q = at(m + 1, m + 1) - zz - r - s;
            r = at(m + 2, m + 1);
            s = std::fabs(p) + std::fabs(q) + std::fabs(r);
            p /= s;
            q /= s;
            r /= s;
            if (m == l) break;
            const double tst1 = std::fabs(p) * (std::fabs(at(m - 1, m - 1)) + std::fabs(zz) +
                                                std::fabs(at(m + 1, m + 1)));
            const double tst2 = tst1 + std::fabs(at(m, m - 1)) * (std::fabs(q) + std::fabs(r));
            if (tst2 == tst1) break;
        }
        for (int i = m + 2; i <= en; ++i) {
            at(i, i - 2) = 0.0;
            if (i != m + 2) at(i, i - 3) = 0.0;
        }
        for (int k = m; k <= na; ++k) {
            const bool notlas = k != na;
            double scaleX = 0.0;
            if (k != m) {
                p = at(k, k - 1);
                q = at(k + 1, k - 1);
                r = notlas ? at(k + 2, k - 1) : 0.0;
                scaleX = std::fabs(p) + std::fabs(q) + std::fabs(r);
                if (scaleX == 0.0) continue;
                p /= scaleX;
                q /= scaleX;
                r /= scaleX;
            }
            const double s = dsign(std::sqrt(p * p + q * q + r * r), p);
            if (k != m)
                at(k, k - 1) = -s * scaleX;
            else if (l != m)
                at(k, k - 1) = -at(k, k - 1);
            p += s;
            const double vx = p / s;
            const double vy = q / s;
            const double vz = r / s;
            q /= p;
            r /= p;
            if (notlas)
                reflect3(k, l, en, vx, vy, vz, q, r);
            else
                reflect2(k, l, en, vx, vy, q);
        }
    }

    void reflect2(int k, int l, int en, double vx, double vy, double q) {
        for (int j = k; j <= en; ++j) {
            const double p = at(k, j) + q * at(k + 1, j);
            at(k, j) -= p * vx;
            at(k + 1, j) -= p * vy;
        }
        const int last = std::min(en, k + 3);
        for (int i = l; i <= last; ++i) {
            const double p = vx * at(i, k) + vy * at(i, k + 1);
            at(i, k) -= p;
            at(i, k + 1) -= p * q;
        }
    }

    void reflect3(int k, int l, int en, double vx, double vy, double vz, double q, double r) {
        for (int j = k; j <= en; ++j) {
            const double p = at(k, j) + q * at(k + 1, j) + r * at(k + 2, j);
            at(k, j) -= p * vx;
            at(k + 1, j) -= p * vy;
            at(k + 2, j) -= p * vz;
        }
        const int last = std::min(en, k + 3);
        for (int i = l; i <= last; ++i) {
            const double p = vx * at(i, k) + vy * at(i, k + 1) + vz * at(i, k + 2);
            at(i, k) -= p;
            at(i, k + 1) -= p * q;
            at(i, k + 2) -= p * r;
        }
    }
};

} // namespace

void hqr(int n, int low, int igh, double* a, double* wr, double* wi, int* ierr) {
    *ierr = HessenbergQR(n, low, igh, a, wr, wi).run();
}

} // namespace kora

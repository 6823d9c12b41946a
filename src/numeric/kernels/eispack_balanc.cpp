#include "eispack.h"

#include <cmath>
#include <utility>

// Indices are 1-based as in the published routine so each step can be checked
// against it; element (i, j) lives at a[(j - 1) * n + (i - 1)].

namespace kora {

namespace {

constexpr double kRadix = 16.0;
constexpr double kReductionTest = 0.95;

struct Balancer {
    int n;
    double* a;
    double* scale;
    int k = 1; // first row/column of the part still to be balanced
    int l = 0; // last row/column of that part

    double& at(int i, int j) { return a[(j - 1) * n + (i - 1)]; }

    // Moves row and column j to position m, recording the exchange.
    void exchange(int j, int m) {
        scale[m - 1] = j;
        if (j == m) return;
        for (int i = 1; i <= l; ++i)
            std::swap(at(i, j), at(i, m));
        for (int i = k; i <= n; ++i)
            std::swap(at(j, i), at(m, i));
    }

    bool rowIsolates(int j) {
        for (int i = 1; i <= l; ++i)
            if (i != j && at(j, i) != 0.0) return false;
        return true;
    }

    bool columnIsolates(int j) {
        for (int i = k; i <= l; ++i)
            if (i != j && at(i, j) != 0.0) return false;
        return true;
    }

    // Pushes rows that isolate an eigenvalue to the bottom. Returns false when
    // the whole matrix has been isolated (l reached 1).
    bool isolateRows() {
        for (;;) {
            int found = 0;
            for (int j = l; j >= 1; --j) {
                if (rowIsolates(j)) {
                    found = j;
                    break;
                }
            }
            if (found == 0) return true;
            exchange(found, l);
            if (l == 1) return false;
            --l;
        }
    }

    // Pushes columns that isolate an eigenvalue to the left.
    void isolateColumns() {
        for (;;) {
            int found = 0;
            for (int j = k; j <= l; ++j) {
                if (columnIsolates(j)) {
                    found = j;
                    break;
                }
            }
            if (found == 0) return;
            exchange(found, k);
            ++k;
        }
    }

    // One sweep of diagonal scaling by powers of the radix; true if any row changed.
    bool scaleSweep() {
        const double b2 = kRadix * kRadix;
        bool changed = false;
        for (int i = k; i <= l; ++i) {
            double c = 0.0;
            double r = 0.0;
            for (int j = k; j <= l; ++j) {
                if (j == i) continue;
                c += std::fabs(at(j, i));
                r += std::fabs(at(i, j));
            }
            // Zero sums (underflow) are skipped as published; non-finite sums
            // too, since the radix loops below would never end on them.
            if (c == 0.0 || r == 0.0 || !std::isfinite(c) || !std::isfinite(r)) continue;
            double g = r / kRadix;
            double f = 1.0;
            const double s = c + r;
            while (c < g) {
                f *= kRadix;
                c *= b2;
            }
            g = r * kRadix;
            while (c >= g) {
                f /= kRadix;
                c /= b2;
            }
            if ((c + r) / f >= kReductionTest * s) continue;
            g = 1.0 / f;
            scale[i - 1] *= f;
            changed = true;
            for (int j = k; j <= n; ++j)
                at(i, j) *= g;
            for (int j = 1; j <= l; ++j)
                at(j, i) *= f;
        }
        return changed;
    }
};

} // namespace

void balanc(int n, double* a, int* low, int* igh, double* scale) {
    Balancer b{n, a, scale};
    b.l = n;
    if (n >= 1 && b.isolateRows()) {
        b.isolateColumns();
        for (int i = b.k; i <= b.l; ++i)
            scale[i - 1] = 1.0;
        while (b.scaleSweep()) {
        }
    }
    *low = b.k;
    *igh = b.l;
}

} // namespace kora

#include "eispack.h"

#include <cmath>
#include <utility>

namespace kora {

void elmhes(int n, int low, int igh, double* a, int* intch) {
    // 1-based (i, j) as in the published routine.
    auto at = [a, n](int i, int j) -> double& { return a[(j - 1) * n + (i - 1)]; };
    for (int m = low + 1; m <= igh - 1; ++m) {
        const int mm1 = m - 1;
        // Pivot: first element of largest magnitude in column m-1 at or below row m.
        double x = 0.0;
        int i = m;
        for (int j = m; j <= igh; ++j) {
            if (std::fabs(at(j, mm1)) > std::fabs(x)) {
                x = at(j, mm1);
                i = j;
            }
        }
        intch[m - 1] = i;
        if (i != m) {
            for (int j = mm1; j <= n; ++j)
                std::swap(at(i, j), at(m, j));
            for (int j = 1; j <= igh; ++j)
                std::swap(at(j, i), at(j, m));
        }
        if (x == 0.0) continue;
        for (int r = m + 1; r <= igh; ++r) {
            double y = at(r, mm1);
            if (y == 0.0) continue;
            y /= x;
            at(r, mm1) = y;
            for (int j = m; j <= n; ++j)
                at(r, j) -= y * at(m, j);
            for (int j = 1; j <= igh; ++j)
                at(j, m) += y * at(j, r);
        }
    }
}

} // namespace kora

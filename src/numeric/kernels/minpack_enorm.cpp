#include "minpack.h"

#include <cmath>
#include <limits>

namespace kora {

double dpmpar(int i) {
    switch (i) {
    case 1:
        return 2.22044604926e-16;
    case 2:
        return std::numeric_limits<double>::min();
    default:
        return std::numeric_limits<double>::max();
    }
}

double enorm(int n, const double* x) {
    // Components at most rdwarf and at least agiant are summed with scaling;
    // the rest directly, where neither overflow nor underflow can occur.
    constexpr double rdwarf = 3.834e-20;
    constexpr double rgiant = 1.304e19;
    double s1 = 0.0, s2 = 0.0, s3 = 0.0;
    double x1max = 0.0, x3max = 0.0;
    const double agiant = rgiant / static_cast<double>(n);
    for (int i = 0; i < n; ++i) {
        const double xabs = std::fabs(x[i]);
        if (xabs > rdwarf && xabs < agiant) {
            s2 += xabs * xabs;
        } else if (xabs <= rdwarf) {
            if (xabs > x3max) {
                const double q = x3max / xabs;
                s3 = 1.0 + s3 * q * q;
                x3max = xabs;
            } else if (xabs != 0.0) {
                const double q = xabs / x3max;
                s3 += q * q;
            }
        } else if (xabs > x1max) {
            const double q = x1max / xabs;
            s1 = 1.0 + s1 * q * q;
            x1max = xabs;
        } else {
            const double q = xabs / x1max;
            s1 += q * q;
        }
    }
    if (s1 != 0.0) return x1max * std::sqrt(s1 + (s2 / x1max) / x1max);
    if (s2 != 0.0) {
        if (s2 >= x3max) return std::sqrt(s2 * (1.0 + (x3max / s2) * (x3max * s3)));
        return std::sqrt(x3max * ((s2 / x3max) + (x3max * s3)));
    }
    return x3max * std::sqrt(s3);
}

} // namespace kora

#include "blas1.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace kora {

namespace {

// Start offset of a strided vector: a negative stride begins at the last element.
int firstIndex(int n, int inc) {
    return inc < 0 ? (-n + 1) * inc : 0;
}

// Two doubles handled by one instruction. Each lane does the same multiply
// and add as the plain loop, so the results are the same to the bit.
using DoublePair = double __attribute__((vector_size(16)));

// dy += da * dx for unit strides where dx and dy do not overlap (or are the
// same vector): the chord iteration's dense solves spend most of their time
// here.
void UnitAxpy(int n, double da, const double* dx, double* dy) {
    const DoublePair factor = {da, da};
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        DoublePair x;
        DoublePair y;
        std::memcpy(&x, dx + i, sizeof x);
        std::memcpy(&y, dy + i, sizeof y);
        y += factor * x;
        std::memcpy(dy + i, &y, sizeof y);
    }
    if (i < n) dy[i] += da * dx[i];
}

// Addresses compared as integers: the vectors may be unrelated arrays.
bool Apart(int n, const double* dx, const double* dy) {
    const auto x = reinterpret_cast<std::uintptr_t>(dx);
    const auto y = reinterpret_cast<std::uintptr_t>(dy);
    const std::uintptr_t bytes = static_cast<std::uintptr_t>(n) * sizeof(double);
    return x == y || x + bytes <= y || y + bytes <= x;
}

} // namespace

void daxpy(const int& n, const double& da, const double* dx, const int& incx, double* dy,
           const int& incy) {
    if (n <= 0 || da == 0.0) return;
    if (incx == 1 && incy == 1 && Apart(n, dx, dy)) {
        UnitAxpy(n, da, dx, dy);
        return;
    }
    if (incx == 1 && incy == 1) {
        // Clean-up loop first so the main loop works in groups of four.
        const int m = n % 4;
        for (int i = 0; i < m; ++i)
            dy[i] += da * dx[i];
        for (int i = m; i < n; i += 4) {
            dy[i] += da * dx[i];
            dy[i + 1] += da * dx[i + 1];
            dy[i + 2] += da * dx[i + 2];
            dy[i + 3] += da * dx[i + 3];
        }
        return;
    }
    int ix = firstIndex(n, incx);
    int iy = firstIndex(n, incy);
    for (int i = 0; i < n; ++i) {
        dy[iy] += da * dx[ix];
        ix += incx;
        iy += incy;
    }
}

double ddot(const int& n, const double* dx, const int& incx, const double* dy, const int& incy) {
    double dtemp = 0.0;
    if (n <= 0) return dtemp;
    if (incx == 1 && incy == 1) {
        // Left-to-right sums keep the rounding of the plain loop.
        const int m = n % 5;
        for (int i = 0; i < m; ++i)
            dtemp += dx[i] * dy[i];
        for (int i = m; i < n; i += 5) {
            dtemp = dtemp + dx[i] * dy[i] + dx[i + 1] * dy[i + 1] + dx[i + 2] * dy[i + 2] +
                    dx[i + 3] * dy[i + 3] + dx[i + 4] * dy[i + 4];
        }
        return dtemp;
    }
    int ix = firstIndex(n, incx);
    int iy = firstIndex(n, incy);
    for (int i = 0; i < n; ++i) {
        dtemp += dx[ix] * dy[iy];
        ix += incx;
        iy += incy;
    }
    return dtemp;
}

void dscal(const int& n, const double& da, double* dx, const int& incx) {
    if (n <= 0 || incx <= 0) return;
    if (incx == 1) {
        const int m = n % 5;
        for (int i = 0; i < m; ++i)
            dx[i] = da * dx[i];
        for (int i = m; i < n; i += 5) {
            dx[i] = da * dx[i];
            dx[i + 1] = da * dx[i + 1];
            dx[i + 2] = da * dx[i + 2];
            dx[i + 3] = da * dx[i + 3];
            dx[i + 4] = da * dx[i + 4];
        }
        return;
    }
    const int nincx = n * incx;
    for (int i = 0; i < nincx; i += incx)
        dx[i] = da * dx[i];
}

int idamax(const int& n, const double* dx, const int& incx) {
    if (n < 1 || incx <= 0) return 0;
    if (n == 1) return 1;
    int best = 1;
    double dmax = std::fabs(dx[0]);
    int ix = incx;
    for (int i = 2; i <= n; ++i) {
        // Strictly greater: ties keep the first position.
        if (std::fabs(dx[ix]) > dmax) {
            best = i;
            dmax = std::fabs(dx[ix]);
        }
        ix += incx;
    }
    return best;
}

} // namespace kora

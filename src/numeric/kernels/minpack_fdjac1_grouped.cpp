#include "minpack.h"

#include <algorithm>
#include <cmath>

namespace kora {

namespace {

// Columns [first, last) perturbed one at a time, as fdjac1's dense loop does;
// false when fcn stops.
bool columnsOneByOne(MinpackFcn fcn, int n, double* x, const double* fvec, double* fjac, int ldfjac,
                     int* iflag, const int32_t* first, const int32_t* last, double eps,
                     double* wa1) {
    for (const int32_t* p = first; p != last; ++p) {
        const int j = *p;
        const double temp = x[j];
        const double h = fdjac1Step(temp, eps);
        x[j] = temp + h;
        fcn(n, x, wa1, iflag);
        x[j] = temp;
        if (*iflag < 0) return false;
        double* column = fjac + j * ldfjac;
        for (int i = 0; i < n; ++i)
            column[i] = (wa1[i] - fvec[i]) / h;
    }
    return true;
}

} // namespace

void fdjac1Grouped(MinpackFcn fcn, int n, double* x, const double* fvec, double* fjac, int ldfjac,
                   int* iflag, const ColumnGrouping& groups, double epsfcn, double* wa1,
                   double* wa2) {
    const double eps = std::sqrt(std::max(epsfcn, dpmpar(1)));
    const int entryFlag = *iflag;
    for (int g = 0; g < groups.ngroups; ++g) {
        const int32_t* first = groups.columns + groups.groupStart[g];
        const int32_t* last = groups.columns + groups.groupStart[g + 1];
        for (const int32_t* p = first; p != last; ++p) {
            wa2[*p] = x[*p];
            x[*p] = wa2[*p] + fdjac1Step(wa2[*p], eps);
        }
        fcn(n, x, wa1, iflag);
        for (const int32_t* p = first; p != last; ++p)
            x[*p] = wa2[*p];
        if (*iflag < 0) {
            // The joint point may fail where no single column's does.
            *iflag = entryFlag;
            if (!columnsOneByOne(fcn, n, x, fvec, fjac, ldfjac, iflag, first, last, eps, wa1))
                return;
            continue;
        }
        for (const int32_t* p = first; p != last; ++p) {
            const int j = *p;
            const double h = fdjac1Step(wa2[j], eps);
            double* column = fjac + j * ldfjac;
            // Rows that do not read x_j see fvec again: (fvec - fvec) / h,
            // which keeps a non-finite residual's entries as they would be.
            for (int i = 0; i < n; ++i)
                column[i] = (fvec[i] - fvec[i]) / h;
            for (int32_t r = groups.rowStart[j]; r < groups.rowStart[j + 1]; ++r) {
                const int i = groups.rows[r];
                column[i] = (wa1[i] - fvec[i]) / h;
            }
        }
    }
}

} // namespace kora

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "lsoda_engine.h"
#include "numeric/kernels/linpack.h"

namespace kora {

// Forward differences column by column (jt 2): column j of h*l0*J scaled
// by -1, from f at y + r_j e_j. False when f failed at a difference point.
bool LsodaEngine::DifferenceColumns(LsodaRhs& f, double r0, double* matrix) {
    const double hl0 = h * el0;
    double* y = ywork.data();
    double* ftem = acor();
    const double* sf = savf();
    const double* w = ewt();
    const double srur = wm()[0];
    for (int j = 0; j < n; ++j) {
        const double yj = y[j];
        const double r = std::max(srur * std::fabs(yj), r0 / w[j]);
        y[j] = y[j] + r;
        const double fac = -hl0 / r;
        // A failed evaluation fails the step being tried; the owner has
        // recorded why.
        if (!f.Derivatives(tn, y, ftem)) {
            y[j] = yj;
            nfe = nfe + j + 1;
            return false;
        }
        if (sparse != nullptr) {
            StoreColumn(j, fac, ftem, sf, matrix);
            y[j] = yj;
            continue;
        }
        double* column = ColumnStart(j, matrix);
        const int top = bandLower < 0 ? 0 : std::max(0, j - bandUpper);
        const int bottom = bandLower < 0 ? n - 1 : std::min(n - 1, j + bandLower);
        for (int i = top; i <= bottom; ++i)
            column[i] = (ftem[i] - sf[i]) * fac;
        y[j] = yj;
    }
    nfe = nfe + n;
    return true;
}

// Where element (0, j) of the matrix would lie: in band storage element
// (i, j) is row ml + mu + i - j of column j, and only rows j - mu to j + ml
// of the column exist.
double* LsodaEngine::ColumnStart(int32_t j, double* matrix) const {
    if (bandLower < 0) return matrix + static_cast<size_t>(j) * n;
    return matrix + static_cast<ptrdiff_t>(j) * BandRows() + bandLower + bandUpper - j;
}

// Column j of the difference matrix from f at the perturbed point: the rows
// that read column j take their difference, every other row the zero the
// column loop finds there. Without sf, ftem holds the column itself.
void LsodaEngine::StoreColumn(int32_t j, double fac, const double* ftem, const double* sf,
                              double* matrix) const {
    const ColumnGroups& groups = columnGroups;
    const double unread = 0.0 * fac;
    if (sparse != nullptr) {
        double* values = sparse->values.data();
        values[sparse->diagonal[j]] = unread;
        for (int32_t k = groups.rowStart[j]; k < groups.rowStart[j + 1]; ++k)
            values[sparse->entry[k]] =
                (ftem[groups.rows[k]] - (sf != nullptr ? sf[groups.rows[k]] : 0.0)) * fac;
        return;
    }
    double* column = ColumnStart(j, matrix);
    const int32_t top = bandLower < 0 ? 0 : std::max(0, j - bandUpper);
    const int32_t bottom = bandLower < 0 ? n - 1 : std::min(n - 1, j + bandLower);
    for (int32_t i = top; i <= bottom; ++i)
        column[i] = unread;
    for (int32_t k = groups.rowStart[j]; k < groups.rowStart[j + 1]; ++k)
        column[groups.rows[k]] =
            (ftem[groups.rows[k]] - (sf != nullptr ? sf[groups.rows[k]] : 0.0)) * fac;
}

// The same columns from one evaluation per group of columns that no row
// reads together. A row that does not read column j sees the unperturbed y
// there, where f is exactly savf (both are taken at tn and the same y), so
// its difference is the zero the column loop computes; a row that does
// reads no other column of the group. So every entry is the column loop's,
// bit for bit. On a failure the column loop runs instead, so that the
// failure is the one it meets.
bool LsodaEngine::GroupedColumns(LsodaRhs& f, double r0, double* matrix) {
    const double hl0 = h * el0;
    double* y = ywork.data();
    double* ftem = acor();
    const double* sf = savf();
    const double* w = ewt();
    const double srur = wm()[0];
    const ColumnGroups& groups = columnGroups;
    for (int32_t g = 0; g < groups.GroupCount(); ++g) {
        const int32_t* first = groups.columns.data() + groups.groupStart[g];
        const int32_t* last = groups.columns.data() + groups.groupStart[g + 1];
        double* saved = groupSaved.data();
        double* increment = groupIncrement.data();
        for (const int32_t* j = first; j != last; ++j) {
            saved[j - first] = y[*j];
            increment[j - first] = std::max(srur * std::fabs(y[*j]), r0 / w[*j]);
            y[*j] = y[*j] + increment[j - first];
        }
        const bool evaluated = f.Derivatives(tn, y, ftem);
        nfe = nfe + 1;
        for (const int32_t* j = first; j != last; ++j)
            y[*j] = saved[j - first];
        if (!evaluated) return DifferenceColumns(f, r0, matrix);
        for (const int32_t* j = first; j != last; ++j)
            StoreColumn(*j, -hl0 / increment[j - first], ftem, sf, matrix);
    }
    return true;
}

// The columns of -h*l0*J from the exact Jacobian: one product per group of
// columns (each row reads at most one column of a group, so its entry of
// J v is that column's), or per column without groups.
bool LsodaEngine::ExactColumns(double* matrix) {
    const double con = -h * el0;
    double* seed = groupSaved.data();
    double* product = acor();
    const ColumnGroups& groups = columnGroups;
    const int32_t count = groups.Empty() ? n : groups.GroupCount();
    std::fill_n(seed, n, 0.0);
    for (int32_t g = 0; g < count; ++g) {
        const int32_t* first = groups.Empty() ? &g : groups.columns.data() + groups.groupStart[g];
        const int32_t* last =
            groups.Empty() ? &g + 1 : groups.columns.data() + groups.groupStart[g + 1];
        for (const int32_t* j = first; j != last; ++j)
            seed[*j] = 1.0;
        const bool formed = exactJacobian->JacobianTimes(tn, ywork.data(), seed, product);
        for (const int32_t* j = first; j != last; ++j)
            seed[*j] = 0.0;
        if (!formed) return false;
        for (const int32_t* j = first; j != last; ++j) {
            if (groups.Empty()) {
                double* column = ColumnStart(*j, matrix);
                for (int32_t i = 0; i < n; ++i)
                    column[i] = product[i] * con;
            } else {
                StoreColumn(*j, con, product, nullptr, matrix);
            }
        }
    }
    return true;
}

// The iteration matrix P = I - h*l0*J with J exact when it is given and can
// be formed there, else approximated by forward
// differences, then its LU factors. The matrix lives in wm from wm(3) on;
// wm(1) holds sqrt(uround) for the increments. False when the right-hand
// side failed at a difference point.
bool LsodaEngine::prja(LsodaRhs& f) {
    nje = nje + 1;
    ierpj = 0;
    jcur = 1;
    const double hl0 = h * el0;
    double* matrix = wm() + 2;

    double fac = vmnorm(n, savf(), ewt());
    double r0 = 1000.0 * std::fabs(h) * uround * static_cast<double>(n) * fac;
    if (r0 == 0.0) r0 = 1.0;
    // The band routines never read outside the band, but the space is
    // shared with the Adams columns: start from zeros as the published
    // banded type does.
    if (bandLower >= 0) std::fill_n(matrix, static_cast<size_t>(BandRows()) * n, 0.0);
    const bool built =
        (exactJacobian != nullptr && ExactColumns(matrix)) ||
        (columnGroups.Empty() ? DifferenceColumns(f, r0, matrix) : GroupedColumns(f, r0, matrix));
    if (!built) return false;

    int ier = 0;
    if (sparse != nullptr) {
        SparseIterationMatrix& s = *sparse;
        pdnorm = snorm(n, s.start.data(), s.rows.data(), s.values.data(), ewt(), s.rowSums.data()) /
                 std::fabs(hl0);
        for (int i = 0; i < n; ++i)
            s.values[s.diagonal[i]] += 1.0;
        if (!s.factors.Factor(s.values.data())) ier = 1;
    } else if (bandLower < 0) {
        pdnorm = fnorm(n, matrix, ewt()) / std::fabs(hl0);
        for (int i = 0; i < n; ++i)
            matrix[static_cast<size_t>(i) * n + i] += 1.0;
        dgefa(matrix, n, n, iwm() + 20, ier);
    } else {
        const int rows = BandRows();
        pdnorm = bnorm(n, matrix + bandLower, rows, bandLower, bandUpper, ewt()) / std::fabs(hl0);
        for (int i = 0; i < n; ++i)
            matrix[static_cast<size_t>(i) * rows + bandLower + bandUpper] += 1.0;
        dgbfa(matrix, rows, n, bandLower, bandUpper, iwm() + 20, ier);
    }
    if (ier != 0) ierpj = 1;
    return true;
}

// One chord-iteration solve with the factors prja left.
void LsodaEngine::solsy(double* x) {
    iersl = 0;
    if (sparse != nullptr)
        sparse->factors.Solve(x);
    else if (bandLower < 0)
        dgesl(wm() + 2, n, n, iwm() + 20, x, 0);
    else
        dgbsl(wm() + 2, BandRows(), n, bandLower, bandUpper, iwm() + 20, x, 0);
}

} // namespace kora

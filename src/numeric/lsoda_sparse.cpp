#include <algorithm>
#include <cmath>
#include <cstddef>

#include "lsoda_engine.h"

namespace kora {

double snorm(int n, const int32_t* start, const int32_t* rows, const double* values,
             const double* w, double* sums) {
    // Row sums gathered column by column; the work is the matrix's entries.
    std::fill_n(sums, n, 0.0);
    for (int j = 0; j < n; ++j)
        for (int32_t k = start[j]; k < start[j + 1]; ++k)
            sums[rows[k]] += std::fabs(values[k]) / w[j];
    double an = 0.0;
    for (int i = 0; i < n; ++i)
        an = std::max(an, sums[i] * w[i]);
    return an;
}

bool SparseIterationMatrix::Prepare(int32_t n, const ColumnGroups& groups) {
    if (!SparseLu::Available() || groups.Empty()) return false;
    start.assign(1, 0);
    rows.clear();
    entry.assign(groups.rows.size(), 0);
    diagonal.assign(static_cast<size_t>(n), 0);
    for (int32_t j = 0; j < n; ++j) {
        const int32_t* first = groups.rows.data() + groups.rowStart[j];
        const int32_t* last = groups.rows.data() + groups.rowStart[j + 1];
        // Rows of column j ascending, the diagonal merged in.
        bool diagonalPlaced = false;
        for (const int32_t* row = first; row != last; ++row) {
            if (!diagonalPlaced && *row >= j) {
                diagonal[j] = static_cast<int32_t>(rows.size());
                if (*row != j) rows.push_back(j);
                diagonalPlaced = true;
            }
            entry[static_cast<size_t>(row - groups.rows.data())] =
                static_cast<int32_t>(rows.size());
            rows.push_back(*row);
        }
        if (!diagonalPlaced) {
            diagonal[j] = static_cast<int32_t>(rows.size());
            rows.push_back(j);
        }
        start.push_back(static_cast<int32_t>(rows.size()));
    }
    values.assign(rows.size(), 0.0);
    rowSums.assign(static_cast<size_t>(n), 0.0);
    return factors.Analyse(n, start, rows);
}

} // namespace kora

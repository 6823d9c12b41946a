#include "lsoda_column_groups.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace kora {

namespace {

// Colouring visits every pair of columns a row reads; beyond this many
// visits the pattern is dense and a group would hold one column anyway.
constexpr size_t kMostPairVisits = size_t{1} << 24;

// Rows reading each column, the transpose of `reads`.
void TransposeReads(const std::vector<std::vector<int32_t>>& reads, ColumnGroups& groups) {
    const size_t n = reads.size();
    groups.rowStart.assign(n + 1, 0);
    for (const std::vector<int32_t>& row : reads)
        for (int32_t column : row)
            ++groups.rowStart[static_cast<size_t>(column) + 1];
    for (size_t j = 0; j < n; ++j)
        groups.rowStart[j + 1] += groups.rowStart[j];
    groups.rows.assign(static_cast<size_t>(groups.rowStart[n]), 0);
    std::vector<int32_t> next(groups.rowStart.begin(), groups.rowStart.end() - 1);
    for (size_t i = 0; i < n; ++i)
        for (int32_t column : reads[i])
            groups.rows[static_cast<size_t>(next[static_cast<size_t>(column)]++)] =
                static_cast<int32_t>(i);
}

} // namespace

void BuildColumnGroups(const std::vector<std::vector<int32_t>>& reads, ColumnGroups& groups) {
    groups = ColumnGroups{};
    const size_t n = reads.size();
    size_t visits = 0;
    for (const std::vector<int32_t>& row : reads) {
        for (int32_t column : row)
            if (column < 0 || static_cast<size_t>(column) >= n) return;
        visits += row.size() * row.size();
    }
    if (n < 2 || visits > kMostPairVisits) return;

    ColumnGroups built;
    TransposeReads(reads, built);
    // The smallest colour no earlier column sharing a row with j has taken.
    std::vector<int32_t> colour(n, -1);
    std::vector<size_t> takenBy(n, n); // colour c is taken for column takenBy[c]
    int32_t colours = 0;
    for (size_t j = 0; j < n; ++j) {
        for (int32_t r = built.rowStart[j]; r < built.rowStart[j + 1]; ++r)
            for (int32_t other : reads[static_cast<size_t>(built.rows[static_cast<size_t>(r)])])
                if (colour[static_cast<size_t>(other)] >= 0)
                    takenBy[static_cast<size_t>(colour[static_cast<size_t>(other)])] = j;
        int32_t c = 0;
        while (takenBy[static_cast<size_t>(c)] == j)
            ++c;
        colour[j] = c;
        if (c + 1 > colours) colours = c + 1;
    }
    if (static_cast<size_t>(colours) >= n) return;

    // Columns of each colour in increasing order, colours in increasing order.
    built.groupStart.assign(static_cast<size_t>(colours) + 1, 0);
    for (int32_t c : colour)
        ++built.groupStart[static_cast<size_t>(c) + 1];
    for (int32_t c = 0; c < colours; ++c)
        built.groupStart[static_cast<size_t>(c) + 1] += built.groupStart[static_cast<size_t>(c)];
    built.columns.assign(n, 0);
    std::vector<int32_t> next(built.groupStart.begin(), built.groupStart.end() - 1);
    for (size_t j = 0; j < n; ++j)
        built.columns[static_cast<size_t>(next[static_cast<size_t>(colour[j])]++)] =
            static_cast<int32_t>(j);
    groups = std::move(built);
}

void Bandwidths(const std::vector<std::vector<int32_t>>& reads, int32_t& lower, int32_t& upper) {
    lower = upper = 0;
    for (size_t i = 0; i < reads.size(); ++i)
        for (int32_t column : reads[i]) {
            lower = std::max(lower, static_cast<int32_t>(i) - column);
            upper = std::max(upper, column - static_cast<int32_t>(i));
        }
}

} // namespace kora

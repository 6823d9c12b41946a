// Columns of a difference Jacobian that one evaluation can perturb together.
#pragma once

#include <cstdint>
#include <vector>

namespace kora {

// Rows that read each column, and the columns split into groups so that no
// row reads two columns of one group: perturbing a group then changes each
// row by at most one of its columns, exactly as perturbing that column alone.
struct ColumnGroups {
    std::vector<int32_t> rowStart; // rows reading column j: rows[rowStart[j] .. rowStart[j + 1])
    std::vector<int32_t> rows;
    std::vector<int32_t> groupStart; // group g: columns[groupStart[g] .. groupStart[g + 1])
    std::vector<int32_t> columns;

    bool Empty() const { return groupStart.size() < 2; }
    int32_t GroupCount() const { return Empty() ? 0 : static_cast<int32_t>(groupStart.size()) - 1; }
};

// Greedy colouring in column order from each row's sorted list of the columns
// it reads. Leaves `groups` empty when grouping would not save an evaluation
// or the pattern is too dense to be worth colouring.
void BuildColumnGroups(const std::vector<std::vector<int32_t>>& reads, ColumnGroups& groups);

// The largest distances below and above the diagonal of the entries that
// `reads` gives (row i reads column j: entry (i, j)).
void Bandwidths(const std::vector<std::vector<int32_t>>& reads, int32_t& lower, int32_t& upper);

} // namespace kora

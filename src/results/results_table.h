// The results as a table: one grid column per column of every time course,
// a heading row, then the rows in general format. Used by the table view and
// by copying results as text.
#pragma once

#include <cstdint>
#include <string>

#include "results_set.h"

namespace kora {

int32_t ResultsTableColumnCount(const ResultsSet& set);
// The heading row plus the rows of the longest time course.
int32_t ResultsTableRowCount(const ResultsSet& set);

// Row 0 holds the headings: the column name, prefixed with the title (or
// the position from 1) and ":" when the set holds several time courses.
// Other rows hold values with `precision` digits, or "N/A" past the end of a
// shorter time course. Cells outside the table are empty.
std::string ResultsTableCell(const ResultsSet& set, int32_t row, int32_t column, int32_t precision,
                             char decimalSeparator = '.');

// The cells of rows top..bottom and columns left..right (inclusive), one line
// per row, every cell followed by a tab, lines ended by "\n".
std::string ResultsTableText(const ResultsSet& set, int32_t top, int32_t left, int32_t bottom,
                             int32_t right, int32_t precision, char decimalSeparator = '.');

} // namespace kora

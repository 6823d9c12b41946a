// The "[Graph]" section of a results file: the plot description as
// key=value lines.
#pragma once

#include <string>
#include <vector>

#include "results_set.h"

namespace kora {

// Appends the section's lines (without the "[Graph]" line itself) in their
// fixed order: view, switches, ranges, phase variables, ticks, size, then the
// line records of every time course.
void WriteGraphSection(const ResultsSet& set, std::vector<std::string>& lines,
                       char decimalSeparator = '.');

struct GraphReadResult {
    bool ok = true;
    std::string reason; // why the section was rejected
};

// Applies the section's lines (in any order) to `set`: missing or unusable
// integer keys take their defaults, line records become the remembered
// display sets and are copied into the time courses, and the description is
// marked settled. A range key that is missing or not a number rejects the
// section and leaves `set` unchanged.
GraphReadResult ReadGraphSection(ResultsSet& set, const std::vector<std::string>& lines,
                                 char localeSeparator = '.',
                                 const StockColourTable& stock = kDefaultStockColours);

// The key of record `record` of the time course at `position`.
std::string LineRecordKey(size_t record, size_t position);

} // namespace kora

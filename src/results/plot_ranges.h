// Settling the plot description after the time courses changed.
#pragma once

#include "results_set.h"

namespace kora {

// Recomputes the plot ranges from the data. An unsettled description first
// takes the "[Graph]" section of the set's results file, if that exists.
// A settled description keeps its value ranges; the time range always
// follows the data. Leaves the description settled.
void Recompute(ResultsSet& set, char localeSeparator = '.',
               const StockColourTable& stock = kDefaultStockColours);

// The same, after time courses were only appended (AppendSolution) since
// the last Recompute or Clear: only the new ones are scanned. Any other
// change to the time courses needs a Recompute.
void RecomputeAfterAppend(ResultsSet& set, char localeSeparator = '.',
                          const StockColourTable& stock = kDefaultStockColours);

// Gives every logarithmic axis whose range has an end at or below zero the
// decades of the positive data (1..10 without any); other ranges stay.
// Settling does this too; call it after switching an axis to logarithmic.
void FitLogRanges(ResultsSet& set);

// Whether range `index` (ResultsSet::ranges order) belongs to a
// logarithmic axis, whose limits must be above zero.
bool IsLogRange(const ResultsSet& set, size_t index);

// Rounds a value range outwards to one significant step of the larger end:
// 0.3..7.2 becomes 0..8, and -7.2..-0.3 becomes -8..0.
void RoundValueRange(double& ymin, double& ymax);

} // namespace kora

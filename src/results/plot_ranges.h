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

// Rounds a value range outwards to one significant step of the larger end:
// 0.3..7.2 becomes 0..8, and -7.2..-0.3 becomes -8..0.
void RoundValueRange(double& ymin, double& ymax);

} // namespace kora

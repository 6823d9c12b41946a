// The legend under a plot: which lines it names, with what text, and how its
// entries are arranged in columns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "results/results_set.h"

namespace kora {

struct LegendEntry {
    std::string text;
    LineStyle style;
};

// Time plot: one entry per visible column line, in drawing order (columns,
// then time courses); phase views: one per time course whose trajectory is
// visible. A lone time course is named by its column names; otherwise each
// entry carries the course's title, or its position when untitled.
std::vector<LegendEntry> LegendEntries(const ResultsSet& set, int8_t view);

struct LegendLayout {
    int32_t columns = 0;
    int32_t rows = 0;
    int32_t shown = 0;              // entries that fit in `rows`; the rest are left out
    std::vector<double> columnLeft; // offsets from the legend's left edge
    double width = 0;
};

// Entries go row by row into as many columns (7 at most) as fit in
// `available`; a column is as wide as its widest entry. At most `maxRows`
// rows are used.
LegendLayout LayOutLegend(const std::vector<double>& entryWidths, double available,
                          int32_t maxRows);

} // namespace kora

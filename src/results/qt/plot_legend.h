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
    int32_t dash = 0;        // see LineDash
    bool foreground = false; // drawn in the foreground colour (a variable, not a run)
};

// Time plot: one entry per visible column line, in drawing order (columns,
// then time courses); phase views: one per time course whose trajectory is
// visible. A lone time course is named by its column names; otherwise each
// entry carries the course's title, or its position when untitled.
// When the runs are told apart, one entry per run in its colour (none beyond
// kMostRunsNamed runs: the colour bar stands for them), then, in the time
// plot with several variables, one per variable in its dash.
std::vector<LegendEntry> LegendEntries(const ResultsSet& set, int8_t view,
                                       bool darkBackground = false);

// The colour a line is drawn in before black-and-white and visibility: its
// record's, or its run's when the runs are told apart.
Colour LineColourOf(const ResultsSet& set, size_t course, const LineStyle& record,
                    bool darkBackground);

// The dash pattern of a time-plot column while runs are told apart: the
// variables that have a visible line, numbered in column order (0 solid);
// always 0 otherwise and in the phase views.
int32_t LineDash(const ResultsSet& set, int8_t view, int32_t column);

// The names at either end of the colour bar, when the runs are too many to
// name one by one; empty otherwise.
struct ColourBar {
    std::string first;
    std::string last;
    bool IsShown() const { return !first.empty(); }
};
ColourBar ColourBarOf(const ResultsSet& set);

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

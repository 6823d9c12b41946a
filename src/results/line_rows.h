// The plotted lines of one view as the line-settings dialog lists them, and
// which of them a change to one line spreads to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "results_set.h"

namespace kora {

// How a time course is named beside others: its title, or its position when
// it has none.
std::string CourseLabel(const TimeCourse& course, size_t position);

struct LineRow {
    size_t course = 0;      // position in ResultsSet::timeCourses
    int32_t record = 0;     // index into the course's lineStyles
    int32_t phaseRole = -1; // trajectory or projection 0..3; -1 for a column line
    std::string label;
};

// Time plot (and table): column records 1..columns-1 of every course, named
// as in the legend. Phase views: the trajectory and projections 1 and 2 (3D:
// and 3) of every course, the course label followed by the line's role.
std::vector<LineRow> LinesOfView(const ResultsSet& set, int8_t view);

// The rows a change to row `clicked` spreads to, `clicked` among them, in row
// order: with one time course every row, otherwise the rows of the same record
// in every course.
std::vector<size_t> RelatedRows(const std::vector<LineRow>& rows, size_t courseCount,
                                size_t clicked);

} // namespace kora

// Which lines a view draws, in drawing order, and their points in drawing
// units.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "plot_geometry.h"

namespace kora {

struct PlotLine {
    size_t course = 0;
    // The time plot draws column `column`; the phase views draw phase
    // record `phaseRecord` (trajectory or a projection).
    int32_t column = 0;
    int32_t phaseRecord = -1;

    bool IsPhase() const { return phaseRecord >= 0; }
};

// Time plot: every visible column line, columns outer and time courses
// inner. Phase views: per time course the visible projections 3 (3-D only),
// 2 and 1, then the trajectory, so that the trajectory ends up on top.
std::vector<PlotLine> LinesToDraw(const ResultsSet& set, int8_t view);

const LineStyle& RecordOf(const ResultsSet& set, const PlotLine& line);

// The rows of the largest time course: the size of the point buffer.
size_t LargestRowCount(const ResultsSet& set);

// The phase variables' columns for one time course, kept inside it.
std::array<int32_t, 3> PhaseColumns(const TimeCourse& course, const std::array<int32_t, 3>& vars);

// Fills `out` (room for the course's rows) with the line's points and
// returns how many there are. Time plot: the rows from the first whose time
// reaches the start of the X range, up to the first that passes its end.
// A point with a value that is not a number, or one at or below zero on a
// logarithmic axis, has NaN coordinates; the line breaks there. The latter
// are counted in `leftOut`.
size_t LinePoints(const ResultsSet& set, const PlotLine& line, const PlotFrame& frame,
                  const ViewAxes& axes, PlotPoint* out, size_t& leftOut);

} // namespace kora

#include "plot_lines.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kora {

namespace {

bool Drawable(const TimeCourse& course) {
    return course.columns > 0 && course.rows > 0 && course.data.data() != nullptr &&
           course.data.size() >= static_cast<size_t>(course.rows) * course.columns &&
           course.lineStyles.size() >= static_cast<size_t>(course.columns) + 4;
}

PlotPoint NotANumber() {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    return PlotPoint{nan, nan};
}

PlotPoint Checked(PlotPoint p) {
    return std::isnan(p.x) || std::isnan(p.y) ? NotANumber() : p;
}

// A value the axis cannot place (not NaN: that is no value at all).
bool LeftOut(const AxisSpan& axis, double value) {
    return !std::isnan(value) && !axis.Places(value);
}

size_t TimePoints(const TimeCourse& course, int32_t column, const PlotFrame& frame,
                  const ViewAxes& axes, PlotPoint* out, size_t& leftOut) {
    const double first = std::min(axes.x.start, axes.x.end);
    const double last = std::max(axes.x.start, axes.x.end);
    size_t count = 0;
    for (int32_t r = 0; r < course.rows; ++r) {
        const double* row = course.Row(r);
        if (row[0] > last) break;
        if (!(row[0] >= first)) continue;
        if (LeftOut(axes.y, row[column])) ++leftOut;
        out[count++] = Checked(frame.Map(axes.x.Fraction(row[0]), axes.y.Fraction(row[column])));
    }
    return count;
}

size_t PhasePoints(const TimeCourse& course, const std::array<int32_t, 3>& vars, int32_t record,
                   const PlotFrame& frame, const ViewAxes& axes, PlotPoint* out, size_t& leftOut) {
    const std::array<int32_t, 3> col = PhaseColumns(course, vars);
    // Projections 1 and 2 lie on the floor and on the left wall; projection 3
    // lies on the front face, without the depth shift.
    const bool onFloor = record == kProjectionRecord1;
    const bool onWall = record == kProjectionRecord2;
    const bool shifted = axes.depth && record != kProjectionRecord3;
    for (int32_t r = 0; r < course.rows; ++r) {
        const double* row = course.Row(r);
        const double fx = onWall ? 0 : axes.x.Fraction(row[col[0]]);
        const double fy = onFloor ? 0 : axes.y.Fraction(row[col[1]]);
        const double fz = shifted ? axes.z.Fraction(row[col[2]]) : 0;
        if ((!onWall && LeftOut(axes.x, row[col[0]])) ||
            (!onFloor && LeftOut(axes.y, row[col[1]])) || (shifted && LeftOut(axes.z, row[col[2]])))
            ++leftOut;
        out[r] = std::isnan(fz) ? NotANumber() : Checked(frame.Map(fx, fy, fz));
    }
    return static_cast<size_t>(course.rows);
}

} // namespace

std::vector<PlotLine> LinesToDraw(const ResultsSet& set, int8_t view) {
    std::vector<PlotLine> lines;
    const auto& courses = set.timeCourses;
    if (view == kViewPhase2D || view == kViewPhase3D) {
        const int32_t firstRecord = view == kViewPhase3D ? kProjectionRecord3 : kProjectionRecord2;
        for (size_t k = 0; k < courses.size(); ++k) {
            if (!Drawable(courses[k])) continue;
            for (int32_t rec = firstRecord; rec >= kTrajectoryRecord; --rec)
                if (courses[k].PhaseRecord(rec).visible) lines.push_back(PlotLine{k, 0, rec});
        }
        return lines;
    }
    int32_t widest = 0;
    for (const TimeCourse& course : courses)
        widest = std::max(widest, course.columns);
    for (int32_t c = 1; c < widest; ++c)
        for (size_t k = 0; k < courses.size(); ++k)
            if (c < courses[k].columns && Drawable(courses[k]) && courses[k].lineStyles[c].visible)
                lines.push_back(PlotLine{k, c, -1});
    return lines;
}

const LineStyle& RecordOf(const ResultsSet& set, const PlotLine& line) {
    const TimeCourse& course = set.timeCourses[line.course];
    return line.IsPhase() ? course.PhaseRecord(line.phaseRecord) : course.lineStyles[line.column];
}

size_t LargestRowCount(const ResultsSet& set) {
    size_t largest = 0;
    for (const TimeCourse& course : set.timeCourses)
        largest = std::max(largest, static_cast<size_t>(std::max(course.rows, 0)));
    return largest;
}

std::array<int32_t, 3> PhaseColumns(const TimeCourse& course, const std::array<int32_t, 3>& vars) {
    std::array<int32_t, 3> columns{};
    const int32_t last = std::max(course.columns - 1, 0);
    for (size_t i = 0; i < vars.size(); ++i)
        columns[i] = std::clamp(vars[i], 0, last);
    return columns;
}

size_t LinePoints(const ResultsSet& set, const PlotLine& line, const PlotFrame& frame,
                  const ViewAxes& axes, PlotPoint* out, size_t& leftOut) {
    const TimeCourse& course = set.timeCourses[line.course];
    if (line.IsPhase())
        return PhasePoints(course, set.phaseVar, line.phaseRecord, frame, axes, out, leftOut);
    return TimePoints(course, line.column, frame, axes, out, leftOut);
}

} // namespace kora

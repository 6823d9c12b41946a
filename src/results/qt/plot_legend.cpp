#include "plot_legend.h"

#include <algorithm>

#include "results/line_rows.h"
#include "results/run_colours.h"

namespace kora {

namespace {

constexpr int32_t kMostColumns = 7;

std::string ColumnName(const TimeCourse& course, int32_t column) {
    return static_cast<size_t>(column) < course.names.size() ? course.names[column] : std::string();
}

bool HasRecords(const TimeCourse& course) {
    return course.columns > 0 &&
           course.lineStyles.size() >= static_cast<size_t>(course.columns) + 4;
}

std::vector<double> ColumnWidths(const std::vector<double>& widths, int32_t columns) {
    std::vector<double> column(columns, 0.0);
    for (size_t i = 0; i < widths.size(); ++i)
        column[i % columns] = std::max(column[i % columns], widths[i]);
    return column;
}

double Sum(const std::vector<double>& values) {
    double total = 0;
    for (double v : values)
        total += v;
    return total;
}

bool IsPhaseView(int8_t view) {
    return view == kViewPhase2D || view == kViewPhase3D;
}

// Columns with a visible line in some time course, in column order.
std::vector<int32_t> VisibleColumns(const ResultsSet& set) {
    int32_t widest = 0;
    for (const TimeCourse& course : set.timeCourses)
        widest = std::max(widest, course.columns);
    std::vector<int32_t> columns;
    for (int32_t c = 1; c < widest; ++c)
        for (const TimeCourse& course : set.timeCourses)
            if (c < course.columns && HasRecords(course) && course.lineStyles[c].visible) {
                columns.push_back(c);
                break;
            }
    return columns;
}

// The record that stands for run `k` in the legend: its trajectory in the
// phase views, its first visible column line in the time plot.
const LineStyle* RunRecord(const TimeCourse& course, int8_t view) {
    if (!HasRecords(course)) return nullptr;
    if (IsPhaseView(view)) {
        const LineStyle& trajectory = course.PhaseRecord(kTrajectoryRecord);
        return trajectory.visible ? &trajectory : nullptr;
    }
    for (int32_t c = 1; c < course.columns; ++c)
        if (course.lineStyles[c].visible) return &course.lineStyles[c];
    return nullptr;
}

std::vector<LegendEntry> RunEntries(const ResultsSet& set, int8_t view, bool dark) {
    std::vector<LegendEntry> entries;
    const auto& courses = set.timeCourses;
    if (courses.size() <= kMostRunsNamed) {
        for (size_t k = 0; k < courses.size(); ++k) {
            const LineStyle* record = RunRecord(courses[k], view);
            if (record == nullptr) continue;
            LineStyle style = *record;
            style.colour = RunColour(k, courses.size(), dark);
            entries.push_back({RunName(set, k), style});
        }
    }
    if (IsPhaseView(view)) return entries;
    const std::vector<int32_t> columns = VisibleColumns(set);
    if (columns.size() < 2) return entries;
    for (size_t i = 0; i < columns.size(); ++i) {
        LineStyle style;
        for (const TimeCourse& course : courses)
            if (columns[i] < course.columns && HasRecords(course)) {
                style = course.lineStyles[columns[i]];
                break;
            }
        entries.push_back(
            {ColumnName(courses.front(), columns[i]), style, static_cast<int32_t>(i), true});
    }
    return entries;
}

} // namespace

Colour LineColourOf(const ResultsSet& set, size_t course, const LineStyle& record,
                    bool darkBackground) {
    if (!RunsToldApart(set)) return record.colour;
    return RunColour(course, set.timeCourses.size(), darkBackground);
}

int32_t LineDash(const ResultsSet& set, int8_t view, int32_t column) {
    if (!RunsToldApart(set) || IsPhaseView(view)) return 0;
    const std::vector<int32_t> columns = VisibleColumns(set);
    if (columns.size() < 2) return 0;
    const auto found = std::find(columns.begin(), columns.end(), column);
    return found == columns.end() ? 0 : static_cast<int32_t>(found - columns.begin());
}

ColourBar ColourBarOf(const ResultsSet& set) {
    if (!RunsToldApart(set) || set.timeCourses.size() <= kMostRunsNamed) return {};
    return {RunName(set, 0), RunName(set, set.timeCourses.size() - 1)};
}

std::vector<LegendEntry> LegendEntries(const ResultsSet& set, int8_t view, bool darkBackground) {
    if (RunsToldApart(set)) return RunEntries(set, view, darkBackground);
    std::vector<LegendEntry> entries;
    const auto& courses = set.timeCourses;
    if (view == kViewPhase2D || view == kViewPhase3D) {
        for (size_t k = 0; k < courses.size(); ++k) {
            if (!HasRecords(courses[k])) continue;
            const LineStyle& trajectory = courses[k].PhaseRecord(kTrajectoryRecord);
            if (trajectory.visible) entries.push_back({CourseLabel(courses[k], k), trajectory});
        }
        return entries;
    }
    int32_t widest = 0;
    for (const TimeCourse& course : courses)
        widest = std::max(widest, course.columns);
    for (int32_t c = 1; c < widest; ++c) {
        for (size_t k = 0; k < courses.size(); ++k) {
            const TimeCourse& course = courses[k];
            if (c >= course.columns || !HasRecords(course) || !course.lineStyles[c].visible)
                continue;
            std::string text = courses.size() == 1
                                   ? ColumnName(course, c)
                                   : CourseLabel(course, k) + ":" + ColumnName(course, c);
            entries.push_back({std::move(text), course.lineStyles[c]});
        }
    }
    return entries;
}

LegendLayout LayOutLegend(const std::vector<double>& entryWidths, double available,
                          int32_t maxRows) {
    LegendLayout layout;
    const auto count = static_cast<int32_t>(entryWidths.size());
    if (count == 0) return layout;
    int32_t columns = std::min(kMostColumns, count);
    std::vector<double> widths = ColumnWidths(entryWidths, columns);
    while (columns > 1 && Sum(widths) > available) {
        --columns;
        widths = ColumnWidths(entryWidths, columns);
    }
    layout.columns = columns;
    layout.rows = std::min((count + columns - 1) / columns, std::max(1, maxRows));
    layout.shown = std::min(count, layout.rows * columns);
    double left = 0;
    for (double w : widths) {
        layout.columnLeft.push_back(left);
        left += w;
    }
    layout.width = left;
    return layout;
}

} // namespace kora

#include "plot_legend.h"

#include <algorithm>

#include "results/line_rows.h"

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

} // namespace

std::vector<LegendEntry> LegendEntries(const ResultsSet& set, int8_t view) {
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

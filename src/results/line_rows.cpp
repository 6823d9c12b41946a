#include "line_rows.h"

#include <array>

namespace kora {

namespace {

bool HasRecords(const TimeCourse& course) {
    return course.columns > 0 &&
           course.lineStyles.size() >= static_cast<size_t>(course.columns) + 4;
}

std::string ColumnName(const TimeCourse& course, int32_t column) {
    return static_cast<size_t>(column) < course.names.size() ? course.names[column] : std::string();
}

void AddTimeRows(const ResultsSet& set, std::vector<LineRow>& rows) {
    const bool lone = set.timeCourses.size() == 1;
    for (size_t k = 0; k < set.timeCourses.size(); ++k) {
        const TimeCourse& course = set.timeCourses[k];
        if (!HasRecords(course)) continue;
        for (int32_t c = 1; c < course.columns; ++c) {
            std::string name = ColumnName(course, c);
            rows.push_back({k, c, -1, lone ? name : CourseLabel(course, k) + ":" + name});
        }
    }
}

void AddPhaseRows(const ResultsSet& set, bool depth, std::vector<LineRow>& rows) {
    static constexpr std::array<const char*, 3> kFlat{":Trajectory", ":X projection",
                                                      ":Y projection"};
    static constexpr std::array<const char*, 4> kDeep{": Trajectory", ": XZ projection",
                                                      ": YZ projection", ": XY projection"};
    for (size_t k = 0; k < set.timeCourses.size(); ++k) {
        const TimeCourse& course = set.timeCourses[k];
        if (!HasRecords(course)) continue;
        const std::string label = CourseLabel(course, k);
        const int32_t count = depth ? 4 : 3;
        for (int32_t which = 0; which < count; ++which)
            rows.push_back(
                {k, course.columns + which, which, label + (depth ? kDeep[which] : kFlat[which])});
    }
}

} // namespace

std::string CourseLabel(const TimeCourse& course, size_t position) {
    return course.title.empty() ? std::to_string(position) : course.title;
}

std::vector<LineRow> LinesOfView(const ResultsSet& set, int8_t view) {
    std::vector<LineRow> rows;
    if (view == kViewPhase2D || view == kViewPhase3D)
        AddPhaseRows(set, view == kViewPhase3D, rows);
    else
        AddTimeRows(set, rows);
    return rows;
}

std::vector<size_t> RelatedRows(const std::vector<LineRow>& rows, size_t courseCount,
                                size_t clicked) {
    std::vector<size_t> related;
    if (clicked >= rows.size()) return related;
    const LineRow& from = rows[clicked];
    // Phase records follow the column records, so courses of different widths
    // keep them at different indexes: they match by role.
    for (size_t i = 0; i < rows.size(); ++i) {
        const bool same = courseCount == 1
                              ? rows[i].course == from.course
                              : rows[i].phaseRole == from.phaseRole &&
                                    (from.phaseRole >= 0 || rows[i].record == from.record);
        if (same) related.push_back(i);
    }
    return related;
}

} // namespace kora

#include "results_table.h"

#include <algorithm>

#include "number_text.h"

namespace kora {

namespace {

struct CellSource {
    const TimeCourse* course = nullptr;
    size_t position = 0;
    int32_t column = 0;
};

// Counts the time courses' column counts from the left.
CellSource FindColumn(const ResultsSet& set, int32_t gridColumn) {
    if (gridColumn < 0) return {};
    for (size_t k = 0; k < set.timeCourses.size(); ++k) {
        const TimeCourse& course = set.timeCourses[k];
        if (gridColumn < course.columns) return {&course, k, gridColumn};
        gridColumn -= course.columns;
    }
    return {};
}

std::string Heading(const ResultsSet& set, const CellSource& source) {
    const TimeCourse& course = *source.course;
    const std::string name = static_cast<size_t>(source.column) < course.names.size()
                                 ? course.names[static_cast<size_t>(source.column)]
                                 : std::string();
    if (set.timeCourses.size() <= 1) return name;
    const std::string title =
        course.title.empty() ? std::to_string(source.position + 1) : course.title;
    return title + ":" + name;
}

} // namespace

int32_t ResultsTableColumnCount(const ResultsSet& set) {
    int32_t count = 0;
    for (const TimeCourse& course : set.timeCourses)
        count += std::max(course.columns, 0);
    return count;
}

int32_t ResultsTableRowCount(const ResultsSet& set) {
    int32_t rows = 0;
    for (const TimeCourse& course : set.timeCourses)
        rows = std::max(rows, course.rows);
    return rows + 1;
}

std::string ResultsTableCell(const ResultsSet& set, int32_t row, int32_t column, int32_t precision,
                             char decimalSeparator) {
    const CellSource source = FindColumn(set, column);
    if (!source.course || row < 0) return std::string();
    if (row == 0) return Heading(set, source);
    const TimeCourse& course = *source.course;
    const size_t index = static_cast<size_t>(row - 1) * static_cast<size_t>(course.columns) +
                         static_cast<size_t>(source.column);
    if (row > course.rows || index >= course.data.size()) return "N/A";
    return FormatGeneral(course.data.data()[index], precision, decimalSeparator);
}

std::string ResultsTableText(const ResultsSet& set, int32_t top, int32_t left, int32_t bottom,
                             int32_t right, int32_t precision, char decimalSeparator) {
    std::string text;
    for (int32_t row = top; row <= bottom; ++row) {
        for (int32_t column = left; column <= right; ++column)
            text += ResultsTableCell(set, row, column, precision, decimalSeparator) + "\t";
        text += "\n";
    }
    return text;
}

} // namespace kora

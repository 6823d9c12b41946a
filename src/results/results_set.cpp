#include "results_set.h"

#include <algorithm>
#include <utility>

#include "common/file_names.h"

namespace kora {

DisplaySet DisplaySet::Fresh(int32_t columns, const StockColourTable& stock) {
    TimeCourse course(columns, std::string(), stock);
    return DisplaySet{columns, std::move(course.lineStyles)};
}

void ValueBounds::Include(const TimeCourse& course) {
    fewestColumns = std::min(fewestColumns, course.columns);
    const size_t columns = static_cast<size_t>(std::max(course.columns, 0));
    const size_t rows = columns == 0 ? 0
                                     : std::min(static_cast<size_t>(std::max(course.rows, 0)),
                                                course.data.size() / columns);
    for (size_t r = 0; r < rows; ++r) {
        const double* row = course.data.data() + r * columns;
        tmin = std::min(tmin, row[0]);
        tmax = std::max(tmax, row[0]);
        if (row[0] > 0) tminPositive = std::min(tminPositive, row[0]);
        for (size_t c = 1; c < columns; ++c) {
            ymin = std::min(ymin, row[c]);
            ymax = std::max(ymax, row[c]);
            if (row[c] > 0) yminPositive = std::min(yminPositive, row[c]);
        }
    }
}

void ResultsSet::Clear() {
    timeCourses.clear();
    rangesKnown = false;
    scannedBounds = ValueBounds{};
    scannedCourses = 0;
    scannedLast.Release();
}

void ResultsSet::RememberDisplaySets() {
    if (displaySets.size() < timeCourses.size()) displaySets.resize(timeCourses.size());
    for (size_t k = 0; k < timeCourses.size(); ++k)
        displaySets[k] = DisplaySet{timeCourses[k].columns, timeCourses[k].lineStyles};
}

void ResultsSet::ApplyDisplaySet(size_t position, TimeCourse& course) const {
    if (position >= displaySets.size()) return;
    const DisplaySet& set = displaySets[position];
    if (set.records.size() != static_cast<size_t>(set.columns) + 4 ||
        course.lineStyles.size() != static_cast<size_t>(course.columns) + 4)
        return;
    const int32_t shared = std::min(set.columns, course.columns);
    std::copy_n(set.records.begin(), shared, course.lineStyles.begin());
    for (int32_t which = kTrajectoryRecord; which <= kProjectionRecord3; ++which)
        course.PhaseRecord(which) = set.PhaseRecord(which);
}

void ResultsSet::AppendSolution(TimeCourse course, bool replace) {
    if (replace) timeCourses.clear();
    if (rangesKnown) ApplyDisplaySet(timeCourses.size(), course);
    timeCourses.push_back(std::move(course));
    modified = true;
}

void ResultsSet::Merge(const ResultsSet& source) {
    // Copy first: merging a set into itself must not read a growing vector.
    std::vector<TimeCourse> copies = source.timeCourses;
    for (TimeCourse& course : copies)
        timeCourses.push_back(std::move(course));
    modified = true;
}

std::string ResultsFileName(const std::string& documentFileName) {
    if (documentFileName.empty()) return std::string();
    std::string base = documentFileName;
    if (HasExtension(base, ".krm") || IsResultsFileName(base)) base.erase(base.size() - 4);
    return base + ".res";
}

} // namespace kora

#include "plot_ranges.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "graph_section.h"
#include "results_file.h"

namespace kora {

namespace {

constexpr double kLargest = 4e100;
constexpr double kSmallest = 1e-100;

struct DataBounds {
    double tmin = std::numeric_limits<double>::infinity();
    double tmax = -std::numeric_limits<double>::infinity();
    double ymin = std::numeric_limits<double>::infinity();
    double ymax = -std::numeric_limits<double>::infinity();
    int32_t fewestColumns = std::numeric_limits<int32_t>::max();
};

// NaN values fail every comparison and so never become a bound.
DataBounds ScanData(const std::vector<TimeCourse>& courses) {
    DataBounds bounds;
    for (const TimeCourse& course : courses) {
        bounds.fewestColumns = std::min(bounds.fewestColumns, course.columns);
        const size_t columns = static_cast<size_t>(std::max(course.columns, 0));
        const size_t rows = columns == 0 ? 0
                                         : std::min(static_cast<size_t>(std::max(course.rows, 0)),
                                                    course.data.size() / columns);
        for (size_t r = 0; r < rows; ++r) {
            const double* row = course.data.data() + r * columns;
            bounds.tmin = std::min(bounds.tmin, row[0]);
            bounds.tmax = std::max(bounds.tmax, row[0]);
            for (size_t c = 1; c < columns; ++c) {
                bounds.ymin = std::min(bounds.ymin, row[c]);
                bounds.ymax = std::max(bounds.ymax, row[c]);
            }
        }
    }
    return bounds;
}

// Keeps a bound drawable: huge magnitudes are capped, tiny ones become 0.
// A bound that saw no value at all is 0.
double Bounded(double value, bool seen) {
    if (!seen) return 0;
    if (std::fabs(value) > kLargest) return std::copysign(kLargest, value);
    if (std::fabs(value) < kSmallest) return 0;
    return value;
}

void LimitPhaseVariables(ResultsSet& set) {
    if (set.timeCourses.empty()) return;
    const int32_t last = set.timeCourses.front().columns - 1;
    for (int32_t& column : set.phaseVar)
        column = std::max(0, std::min(column, last));
}

void ReadOwnGraphSection(ResultsSet& set, char separator, const StockColourTable& stock) {
    std::error_code error;
    if (set.fileName.empty() || !std::filesystem::is_regular_file(set.fileName, error)) return;
    const std::vector<std::string> lines = ReadGraphSectionLines(set.fileName);
    if (!lines.empty())
        ReadGraphSection(set, lines, separator, stock); // a damaged section is ignored
}

} // namespace

void RoundValueRange(double& ymin, double& ymax) {
    const double p =
        std::pow(10.0, std::floor(std::log10(std::max(std::fabs(ymax), std::fabs(ymin)))));
    if (ymax != 0) {
        const double magnitude = std::fabs(ymax);
        for (int k = 1; k <= 10; ++k)
            if ((k - 1) * p < magnitude && magnitude <= k * p) {
                ymax = ymax > 0 ? k * p : -(k - 1) * p;
                break;
            }
    }
    if (ymin != 0) {
        const double magnitude = std::fabs(ymin);
        for (int k = 1; k <= 10; ++k)
            if ((k - 1) * p < magnitude && magnitude <= k * p) {
                ymin = ymin > 0 ? (k - 1) * p : -k * p;
                break;
            }
    }
    // -0 would be written as "-0".
    ymin += 0.0;
    ymax += 0.0;
}

void Recompute(ResultsSet& set, char localeSeparator, const StockColourTable& stock) {
    const DataBounds data = ScanData(set.timeCourses);
    const bool anyTime = data.tmin <= data.tmax;
    const bool anyValue = data.ymin <= data.ymax;
    double tmin = Bounded(data.tmin, anyTime);
    double tmax = Bounded(data.tmax, anyTime);
    double ymin = Bounded(data.ymin, anyValue);
    double ymax = Bounded(data.ymax, anyValue);

    if (!set.rangesKnown) ReadOwnGraphSection(set, localeSeparator, stock);
    LimitPhaseVariables(set);

    // A single time point would give an empty time axis, settled or not.
    if (tmin >= tmax) tmax = tmin + 1;
    if (!set.rangesKnown) {
        ymin = std::min(ymin, 0.0);
        ymax = std::min(ymax, kLargest);
        if (ymin >= ymax) ymax = ymin + 1;
        RoundValueRange(ymin, ymax);
        if (!set.timeCourses.empty()) {
            const int32_t last = data.fewestColumns - 1;
            for (int32_t axis = 0; axis < 3; ++axis)
                set.phaseVar[axis] = std::max(0, std::min(axis + 1, last));
        }
        set.ranges[kYmin] = ymin;
        set.ranges[kYmax] = ymax;
        set.ranges[kXphasemin] = set.ranges[kYphasemin] = set.ranges[kZphasemin] = ymin;
        set.ranges[kXphasemax] = set.ranges[kYphasemax] = set.ranges[kZphasemax] = ymax;
    }
    set.ranges[kXmin] = tmin;
    set.ranges[kXmax] = tmax;
    set.rangesKnown = true;
}

} // namespace kora

#include "plot_ranges.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <limits>
#include <utility>

#include "graph_section.h"
#include "results_file.h"

namespace kora {

namespace {

constexpr double kLargest = 4e100;
constexpr double kSmallest = 1e-100;

// True when the first `scannedCourses` time courses are still the ones the
// remembered bounds were taken from.
bool RememberedScanHolds(const ResultsSet& set) {
    const size_t count = set.scannedCourses;
    if (count == 0) return true;
    if (count > set.timeCourses.size()) return false;
    const TimeCourse& last = set.timeCourses[count - 1];
    return last.data.SharesWith(set.scannedLast) && last.rows == set.scannedLastRows &&
           last.columns == set.scannedLastColumns;
}

// The bounds of every time course. With `reuse`, the courses the set
// remembers having scanned are not scanned again; the result is the same,
// as the scan goes on in the same order from the same values.
ValueBounds ScanData(ResultsSet& set, bool reuse) {
    ValueBounds bounds;
    size_t first = 0;
    if (reuse && RememberedScanHolds(set)) {
        bounds = set.scannedBounds;
        first = set.scannedCourses;
    }
    for (size_t k = first; k < set.timeCourses.size(); ++k)
        bounds.Include(set.timeCourses[k]);
    set.scannedBounds = bounds;
    set.scannedCourses = set.timeCourses.size();
    if (set.timeCourses.empty()) {
        set.scannedLast.Release();
        return bounds;
    }
    const TimeCourse& last = set.timeCourses.back();
    set.scannedLast = last.data;
    set.scannedLastRows = last.rows;
    set.scannedLastColumns = last.columns;
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

namespace {

// The decades around lo..hi: 0.03..7 becomes 0.01..10.
void DecadeRange(double lo, double hi, double& start, double& end) {
    start = std::pow(10.0, std::floor(std::log10(lo)));
    end = std::pow(10.0, std::ceil(std::log10(hi)));
    if (!(end > start)) end = start * 10;
}

// A logarithmic axis needs two positive ends; one that has none takes the
// decades of the positive data, or 1..10 without any.
void FitLogAxis(ResultsSet& set, size_t low, size_t high, double positiveMin, double max) {
    double& start = set.ranges[low];
    double& end = set.ranges[high];
    if (start > 0 && end > start) return;
    if (!std::isfinite(positiveMin)) {
        start = 1;
        end = 10;
        return;
    }
    DecadeRange(positiveMin, std::max(max, positiveMin), start, end);
}

void FitLogAxes(ResultsSet& set, const ValueBounds& data) {
    if (set.logX) FitLogAxis(set, kXmin, kXmax, data.tminPositive, data.tmax);
    if (set.logY) FitLogAxis(set, kYmin, kYmax, data.yminPositive, data.ymax);
    const std::array<std::pair<size_t, size_t>, 3> phase{
        {{kXphasemin, kXphasemax}, {kYphasemin, kYphasemax}, {kZphasemin, kZphasemax}}};
    for (size_t axis = 0; axis < 3; ++axis)
        if (set.logPhase[axis])
            FitLogAxis(set, phase[axis].first, phase[axis].second, data.yminPositive, data.ymax);
}

void Settle(ResultsSet& set, const ValueBounds& data, char localeSeparator,
            const StockColourTable& stock) {
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
    // The time axis follows the data; on a logarithmic one from the decade
    // of its first positive time.
    if (set.logX && std::isfinite(data.tminPositive) && tmin <= 0)
        set.ranges[kXmin] = std::pow(10.0, std::floor(std::log10(data.tminPositive)));
    FitLogAxes(set, data);
    set.rangesKnown = true;
}

} // namespace

void Recompute(ResultsSet& set, char localeSeparator, const StockColourTable& stock) {
    Settle(set, ScanData(set, false), localeSeparator, stock);
}

bool IsLogRange(const ResultsSet& set, size_t index) {
    switch (index) {
    case kXmin:
    case kXmax:
        return set.logX;
    case kYmin:
    case kYmax:
        return set.logY;
    case kXphasemin:
    case kXphasemax:
        return set.logPhase[0];
    case kYphasemin:
    case kYphasemax:
        return set.logPhase[1];
    case kZphasemin:
    case kZphasemax:
        return set.logPhase[2];
    default:
        return false;
    }
}

void FitLogRanges(ResultsSet& set) {
    ValueBounds data;
    for (const TimeCourse& course : set.timeCourses)
        data.Include(course);
    FitLogAxes(set, data);
}

void RecomputeAfterAppend(ResultsSet& set, char localeSeparator, const StockColourTable& stock) {
    Settle(set, ScanData(set, true), localeSeparator, stock);
}

} // namespace kora

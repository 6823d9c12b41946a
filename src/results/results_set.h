// The results of one document: its time courses and the description of how
// they are plotted, saved to and read from results files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "base/time_course.h"
#include "common/line_style.h"

namespace kora {

// What the results pane shows.
inline constexpr int8_t kViewTable = 0;
inline constexpr int8_t kViewTimePlot = 1;
inline constexpr int8_t kViewPhase2D = 2;
inline constexpr int8_t kViewPhase3D = 3;

// Positions in ResultsSet::ranges, in the order the ranges are stored.
enum RangeIndex : size_t {
    kXmin,
    kYmin,
    kXmax,
    kYmax,
    kXphasemin,
    kYphasemin,
    kZphasemin,
    kXphasemax,
    kYphasemax,
    kZphasemax,
    kRangeCount
};

// A colour with this bit set is a system-colour code, not 0x00BBGGRR; the
// renderer resolves it. The default background is the window background.
inline constexpr Colour kSystemColourFlag = 0x80000000u;
inline constexpr Colour kSystemWindowColour = kSystemColourFlag | 5u;

// The display records remembered for one time-course position: `columns`
// column records followed by the trajectory and the three projection records,
// laid out exactly as TimeCourse::lineStyles.
struct DisplaySet {
    int32_t columns = 0;
    std::vector<LineStyle> records;

    // A set as a new time course of `columns` columns would have it.
    static DisplaySet Fresh(int32_t columns, const StockColourTable& stock);
    const LineStyle& PhaseRecord(int32_t which) const { return records[columns + which]; }
};

// The extremes of the times and of the other values of some time courses,
// and the fewest columns among them. NaN values never become a bound.
struct ValueBounds {
    double tmin = std::numeric_limits<double>::infinity();
    double tmax = -std::numeric_limits<double>::infinity();
    double ymin = std::numeric_limits<double>::infinity();
    double ymax = -std::numeric_limits<double>::infinity();
    int32_t fewestColumns = std::numeric_limits<int32_t>::max();
    // The smallest positive value of each, for logarithmic axes.
    double tminPositive = std::numeric_limits<double>::infinity();
    double yminPositive = std::numeric_limits<double>::infinity();

    // Goes on over the course's rows in order, as if they followed the
    // values seen so far.
    void Include(const TimeCourse& course);
};

class ResultsSet {
public:
    std::string fileName; // empty when no results file is known
    bool modified = false;
    // The plot description is settled: a read "[Graph]" section or a
    // Recompute set it, Clear clears it.
    bool rangesKnown = false;
    int8_t view = kViewTimePlot;
    std::vector<TimeCourse> timeCourses;
    // Remembered display records per time-course position.
    std::vector<DisplaySet> displaySets;

    // Plot description.
    bool axis = true;
    bool grid = false;
    bool legend = true;
    int32_t xTicks = 10;
    int32_t yTicks = 10;
    int32_t xPhaseTicks = 10;
    int32_t yPhaseTicks = 10;
    int32_t zPhaseTicks = 10;
    std::array<double, kRangeCount> ranges{};
    std::array<int32_t, 3> phaseVar{1, 2, 3}; // columns on the X, Y, Z phase axes
    bool resize = true;
    int32_t widthInPx = 200;
    int32_t heightInPx = 150;
    Colour background = kSystemWindowColour;
    Colour foreground = 0;
    bool blackAndWhite = false;
    // Titles: the plot title is drawn only when `showTitle` is on, and an
    // empty `title` stands for the first time course's title (the model's
    // NAME); the Y title labels the value axis of the time plot.
    bool showTitle = false;
    std::string title;
    std::string yTitle;
    // Logarithmic axes: time plot X and Y, phase plot X, Y and Z.
    bool logX = false;
    bool logY = false;
    std::array<bool, 3> logPhase{};
    // Several time courses draw each in its own colour from a ramp and the
    // legend names the runs; off, every line keeps its own record's colour.
    bool runColours = true;

    // Significant digits of values written to files ("FilePrec").
    int32_t precision = 7;

    // The bounds of the first `scannedCourses` time courses as the last
    // Recompute found them, so that a sweep's appends each scan only their
    // own course. `scannedLast` holds the values of the last of them: while
    // held they cannot be freed, so sharing them proves the course is the
    // same one.
    ValueBounds scannedBounds;
    size_t scannedCourses = 0;
    DoubleArray scannedLast;
    int32_t scannedLastRows = 0;
    int32_t scannedLastColumns = 0;

    // Removes every time course and unsettles the plot description;
    // `modified` is left as it is.
    void Clear();

    // Remembers each time course's display records for its position,
    // replacing what was remembered there; called when a Run starts.
    void RememberDisplaySets();

    // Copies the remembered records of `position` (if any) into `course`:
    // the column records both have and the four phase records.
    void ApplyDisplaySet(size_t position, TimeCourse& course) const;

    // Appends a finished solution; with `replace` the earlier ones go first.
    // While the description is settled the solution takes the records
    // remembered for its position.
    void AppendSolution(TimeCourse course, bool replace);

    // Appends a copy (sharing the values) of every time course of `source`.
    void Merge(const ResultsSet& source);
};

// The results file name of a document: "" without a document file name; the
// name less a ".KRM" or ".RES" extension (any case) plus ".res" otherwise.
std::string ResultsFileName(const std::string& documentFileName);

} // namespace kora

// One stored solution: a row-major table of doubles whose column 0 is the
// time, with the names of its columns and the display records of its lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/line_style.h"
#include "double_array.h"

namespace kora {

class KRMparser;
class winintegrator;

// Index of the four phase-plot records after the column records.
inline constexpr int32_t kTrajectoryRecord = 0;
inline constexpr int32_t kProjectionRecord1 = 1;
inline constexpr int32_t kProjectionRecord2 = 2;
inline constexpr int32_t kProjectionRecord3 = 3;

class TimeCourse {
public:
    TimeCourse() = default;
    // Column record c takes stock colour c mod 18; the trajectory is visible
    // in stock colour 1, the projections invisible in stock colours 2, 3, 4.
    TimeCourse(int32_t columns, std::string title,
               const StockColourTable& stock = kDefaultStockColours);

    // Copies share `data` and copy everything else (the default copy does so).

    double Value(int32_t row, int32_t column) const { return data.data()[row * columns + column]; }
    const double* Row(int32_t row) const {
        return data.data() + static_cast<size_t>(row) * columns;
    }
    LineStyle& PhaseRecord(int32_t which) { return lineStyles[columns + which]; }
    const LineStyle& PhaseRecord(int32_t which) const { return lineStyles[columns + which]; }

    int32_t columns = 0;
    int32_t rows = 0;
    std::vector<std::string> names;
    std::string title;
    // What set this run apart from the others of a sweep ("k = 0.3"); empty
    // when nothing is known. Legends name the run by it.
    std::string runLabel;
    std::vector<LineStyle> lineStyles; // columns + 4 records
    DoubleArray data;
};

// The time course of a finished run: it shares the solver's rows (no copy),
// names column 0 "t" and every other column after the model quantity reported
// there, and takes the model's title.
TimeCourse MakeRunTimeCourse(const winintegrator& solver, const KRMparser& model,
                             const StockColourTable& stock = kDefaultStockColours);

// Appends the run's time course to `courses`, after removing the earlier ones
// when `replace` is set.
void AppendRunTimeCourse(const winintegrator& solver, const KRMparser& model,
                         std::vector<TimeCourse>& courses, bool replace);

} // namespace kora

#include "time_course.h"

#include <utility>

namespace kora {

TimeCourse::TimeCourse(int32_t columnCount, std::string courseTitle,
                       const StockColourTable& stock)
    : columns(columnCount), title(std::move(courseTitle)) {
    names.resize(static_cast<size_t>(columns));
    lineStyles.resize(static_cast<size_t>(columns) + 4);
    for (int32_t c = 0; c < columns; ++c)
        lineStyles[c] = LineStyle{true, stock[static_cast<size_t>(c) % kStockColourCount], 1};
    PhaseRecord(kTrajectoryRecord) = LineStyle{true, stock[1], 1};
    PhaseRecord(kProjectionRecord1) = LineStyle{false, stock[2], 1};
    PhaseRecord(kProjectionRecord2) = LineStyle{false, stock[3], 1};
    PhaseRecord(kProjectionRecord3) = LineStyle{false, stock[4], 1};
}

} // namespace kora

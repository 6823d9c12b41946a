#include "run_size.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kora {

RunSize ExpectedRunSize(const KRMparser& model) {
    constexpr double kMost = static_cast<double>(std::numeric_limits<int64_t>::max());
    const double span = std::fabs(model.tf - model.t0);
    const double interval = std::fabs(model.hr);
    // An interval longer than the span reports the span's two ends.
    const double steps =
        span > 0.0 && interval > 0.0 ? std::ceil(span / std::min(interval, span)) : 0.0;
    const double rows = steps + 1.0 + static_cast<double>(model.events.size());
    RunSize size;
    size.columns = model.ReportedColumns();
    const double values = rows * static_cast<double>(size.columns);
    size.rows = rows < kMost ? static_cast<int64_t>(rows) : std::numeric_limits<int64_t>::max();
    size.values =
        values < kMost ? static_cast<int64_t>(values) : std::numeric_limits<int64_t>::max();
    return size;
}

} // namespace kora

// How much one run of a model reports, known before it starts, so that a
// front end can refuse or ask before a run that would never finish.
#pragma once

#include <cstdint>

#include "krm_parser.h"

namespace kora {

struct RunSize {
    int64_t rows = 0;
    int64_t columns = 0;
    int64_t values = 0; // rows * columns, saturated at INT64_MAX
};

// The size of the next run of a built model: one row per report interval
// of the time span, plus its start and one per event, times the reported
// columns (time included).
RunSize ExpectedRunSize(const KRMparser& model);

} // namespace kora

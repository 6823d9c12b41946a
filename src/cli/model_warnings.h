// The model's warnings on stderr. They leave the exit code alone unless
// --strict makes them errors.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "model_preflight.h"

namespace kora::cli {

// Prints one "FILE:LINE: warning:" line per warning of the model (a name of
// `setNames` that the model lacks as "kora-batch: warning:"). Returns how
// many were printed.
int ReportModelWarnings(const PreflightModel& prepared, const Settings& settings,
                        const std::vector<std::string>& setNames, std::ostream& err);

} // namespace kora::cli

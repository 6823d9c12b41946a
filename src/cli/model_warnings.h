// Warnings about a model that builds: text it says but the model does not
// mean. They leave the exit code alone unless --strict makes them errors.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "model_preflight.h"

namespace kora::cli {

// Prints one "FILE:LINE: warning:" line per line that is not a statement
// (and so is ignored), per "!!" or "&&" name the model does not define or
// lists twice, per name of `setNames` (--set) the model does not have, and
// per SETTING command of the script that yields no value.
// Returns how many were printed.
int ReportModelWarnings(const PreflightModel& prepared, const Settings& settings,
                        const std::vector<std::string>& setNames, std::ostream& err);

} // namespace kora::cli

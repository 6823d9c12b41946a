// What `kora-batch run` writes: the time course as a results-file data
// section, the one-line progress display and the run statistics.
#pragma once

#include <ostream>
#include <string>

#include "base/time_course.h"
#include "base/winintegrator.h"
#include "solve/run_driver.h"

namespace kora::cli {

// "[Data][title]", the column names and one line per row, every field
// followed by a tab; values in general format with `precision` digits.
void WriteDataSection(std::ostream& out, const TimeCourse& course, int precision, int position = 0);

// The progress line: percent, steps, order, step size and elapsed time.
std::string ProgressLine(const ProgressSnapshot& progress);

// One "key: value" line per statistic.
void WriteStatistics(std::ostream& out, const RunOutcome& outcome);

} // namespace kora::cli

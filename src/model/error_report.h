// The lines of the error dialog, built in one place for every front end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kora {

class ErrorDisplay;

// The heading ("CRITICAL ERROR:" for a model error, the solver's name for a
// solver error), the message with its context appended, and the detail when
// there is one.
std::vector<std::string> ErrorReportLines(int32_t category, int32_t code,
                                          const std::string& context, const std::string& detail,
                                          const std::string& solverName);

// The lines for the error a sink holds.
std::vector<std::string> ErrorReportLines(const ErrorDisplay& sink, const std::string& solverName);

} // namespace kora

#include "error_report.h"

#include "error_display.h"
#include "messages.h"

namespace kora {

std::vector<std::string> ErrorReportLines(int32_t category, int32_t code,
                                          const std::string& context, const std::string& detail,
                                          const std::string& solverName) {
    std::vector<std::string> lines;
    std::string message;
    if (category == kCategoryModel) {
        lines.emplace_back("CRITICAL ERROR:");
        message = std::string(ModelMessage(code));
    } else if (category == kCategorySolver) {
        lines.push_back(solverName);
        message = std::string(SolverMessage(code));
    }
    lines.push_back(message + context);
    // An empty detail would only add a blank line to the dialog.
    if (!detail.empty()) lines.push_back(detail);
    return lines;
}

std::vector<std::string> ErrorReportLines(const ErrorDisplay& sink, const std::string& solverName) {
    return ErrorReportLines(sink.category, sink.code, sink.context, sink.detail, solverName);
}

} // namespace kora

#include "window_error_display.h"

#include "model/error_report.h"
#include "solve/base/document_host.h"

namespace kora {

void WindowErrorDisplay::Display() {
    // The lines first: locating reads the model again, which resets the error.
    const std::vector<std::string> lines = ErrorReportLines(*this, solverName);
    int32_t offset = 0;
    int32_t length = 0;
    // Selected before the report shows, so that the statement lies behind it.
    if (category == kCategoryModel && locate && !context.empty() && locate(context, offset, length))
        host_.SelectModelSpan(offset, length);
    host_.ShowErrorReport(lines);
}

} // namespace kora

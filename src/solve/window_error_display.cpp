#include "window_error_display.h"

#include "model/error_report.h"
#include "solve/base/document_host.h"

namespace kora {

void WindowErrorDisplay::Display() {
    int32_t offset = 0;
    int32_t length = 0;
    // Selected first, so that the statement shows behind the report.
    if (category == kCategoryModel && locate && !context.empty() && locate(context, offset, length))
        host_.SelectModelSpan(offset, length);
    host_.ShowErrorReport(ErrorReportLines(*this, solverName));
}

} // namespace kora

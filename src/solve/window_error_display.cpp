#include "window_error_display.h"

#include "base/document_host.h"
#include "model/error_report.h"

namespace kora {

void WindowErrorDisplay::Display() {
    // The lines first: locating reads the model again, which resets the error.
    std::vector<std::string> lines = ErrorReportLines(*this, solverName);
    const ErrorDisplay error = *this;
    const bool modelError = category == kCategoryModel;
    if (modelError && modelMessage && lines.size() >= 2) lines[1] = modelMessage(error);
    lastPlace = TextPlace{};
    int32_t offset = 0;
    int32_t length = 0;
    // Selected before the report shows, so that the statement lies behind it.
    if (modelError && locate && !context.empty() && locate(context, offset, length)) {
        if (place) lastPlace = place(error, offset);
        host_.SelectModelSpan(offset, length);
    }
    host_.ShowErrorReport(lines);
}

} // namespace kora

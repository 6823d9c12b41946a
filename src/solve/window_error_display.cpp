#include "window_error_display.h"

#include "model/error_report.h"
#include "solve/base/document_host.h"

namespace kora {

void WindowErrorDisplay::Display() {
    host_.ShowErrorReport(ErrorReportLines(*this, solverName));
}

} // namespace kora

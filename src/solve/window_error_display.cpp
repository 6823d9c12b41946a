#include "window_error_display.h"

#include "model/messages.h"
#include "solve/base/host.h"

namespace kora {

std::vector<std::string> WindowErrorDisplay::ReportLines() const {
    std::vector<std::string> lines;
    int base = 0;
    if (category == kCategoryModel) {
        lines.emplace_back("CRITICAL ERROR:");
        base = kModelMessageBase;
    } else if (category == kCategorySolver) {
        lines.push_back(solverName);
        base = kSolverMessageBase;
    }
    lines.push_back(std::string(MessageText(base + code)) + context);
    // An empty detail would only add a blank line to the dialog.
    if (!detail.empty()) lines.push_back(detail);
    return lines;
}

void WindowErrorDisplay::Display() {
    host_.ShowErrorReport(ReportLines());
}

} // namespace kora

// The error sink of a document: the model and the run steps fill it, Display
// builds the error dialog's lines and hands them to the host.
#pragma once

#include <string>
#include <vector>

#include "model/error_display.h"

namespace kora {

class Host;

class WindowErrorDisplay : public ErrorDisplay {
public:
    explicit WindowErrorDisplay(Host& host) : host_(host) {}

    void Display() override;

    // The dialog's lines: the heading ("CRITICAL ERROR:" or the solver's
    // name), the message with its context, and the detail when there is one.
    std::vector<std::string> ReportLines() const;

    // The `name` of the document's current solver, for solver outcomes.
    std::string solverName;

private:
    Host& host_;
};

} // namespace kora

// The error sink of a document: the model and the run steps fill it, Display
// builds the error dialog's lines and hands them to the host.
#pragma once

#include <string>

#include "model/error_display.h"

namespace kora {

class DocumentHost;

class WindowErrorDisplay : public ErrorDisplay {
public:
    explicit WindowErrorDisplay(DocumentHost& host) : host_(host) {}

    void Display() override;

    // The `name` of the document's current solver, for solver outcomes.
    std::string solverName;

private:
    DocumentHost& host_;
};

} // namespace kora

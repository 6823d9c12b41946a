// The error sink of a document: the model and the run steps fill it, Display
// builds the error dialog's lines and hands them to the host.
#pragma once

#include <functional>

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
    // Finds a model error's statement (its context) in the model lines.
    std::function<bool(const std::string& statement, int32_t& offset, int32_t& length)> locate;

private:
    DocumentHost& host_;
};

} // namespace kora

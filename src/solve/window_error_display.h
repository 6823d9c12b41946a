// The error sink of a document: the model and the run steps fill it, Display
// builds the error dialog's lines and hands them to the host.
#pragma once

#include <functional>

#include <string>

#include "model/error_display.h"
#include "model/model_place.h"

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
    // The message of a model error, naming the unknown name when that is
    // the cause; the model's plain message when not set.
    std::function<std::string(const ErrorDisplay& error)> modelMessage;
    // Where a model error whose statement stands at an offset of the model
    // text is in the editor's lines.
    std::function<TextPlace(const ErrorDisplay& error, int32_t offset)> place;
    // Where the last model error shown stands; {0, 0} when unknown.
    TextPlace lastPlace;

private:
    DocumentHost& host_;
};

} // namespace kora

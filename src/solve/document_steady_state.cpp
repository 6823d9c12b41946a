// The script command SS of a document. The build and the computation run on
// the solver thread, which is idle between solves, so that the window stays
// responsive and Stop reaches the search; everything shown goes through the
// gate in the order the synchronous command showed it.
#include <exception>
#include <string>

#include "base/app_host.h"
#include "base/document_host.h"
#include "common/file_names.h"
#include "model/messages.h"
#include "numeric/krmform_ss.h"
#include "run_driver.h"
#include "system_document.h"

namespace kora {

namespace {

// The first line of the error dialog when a stop ends a steady state, in
// place of a solver's name.
constexpr const char* kSteadyStateHeading = "Steady state.";

} // namespace

void SystemDocument::SteadyState() {
    SteadyStateRequest request;
    request.modelLines = state_.modelLines;
    request.precision = runSettings_.ssPrec;
    request.thresholdItem = runSettings_.sensThreshold;
    request.useConservation = !runSettings_.ignoreConservation;
    request.exactJacobian = runSettings_.exactJacobian;
    {
        const std::lock_guard lock(runLock_);
        steadyStateRequest_ = std::move(request);
    }
    // The script stays suspended until FinishSteadyState continues or ends it.
    runEvent_.Set();
}

std::optional<SteadyStateRequest> SystemDocument::TakeSteadyStateRequest() {
    const std::lock_guard lock(runLock_);
    std::optional<SteadyStateRequest> request = std::move(steadyStateRequest_);
    steadyStateRequest_.reset();
    return request;
}

bool SystemDocument::ComputeSteadyState(const SteadyStateRequest& request) {
    // The model, its form and the computation belong to this thread until the
    // finish is called: the script waits, and a running document neither
    // applies settings to its model nor clears it.
    const auto status = [this](const std::string& text) {
        CallOnMainThread([this, text] { SetStatus(text); });
    };
    steadyState_->useConservation = request.useConservation;
    steadyState_->exactJacobian = request.exactJacobian;
    SteadyStateRun run;
    // Nothing may escape this thread; a failure is reported as the
    // computation's own failures are, and the script ends.
    try {
        run = RunSteadyState(model_, *steadyState_, request.modelLines, request.precision,
                             request.thresholdItem, status);
    } catch (const std::exception& failure) {
        run = SteadyStateRun{};
        run.failure = failure.what();
    } catch (...) {
        run = SteadyStateRun{};
        run.failure = "unknown failure";
    }
    // The stop is taken only when it ended the computation; one that came
    // after stays for the script thread, which then ends the script.
    if (run.stopped) TakeStopRequest();
    return CallOnMainThread([this, &run] { FinishSteadyState(run); });
}

void SystemDocument::FinishSteadyState(const SteadyStateRun& run) {
    if (run.modelFailed) {
        errorSink_.owner = this;
        record_.failureCategory = kCategoryModel;
        record_.failureCode = errorSink_.code;
        errorSink_.Display();
        FailCommand();
        return;
    }
    if (run.stopped) {
        record_.failureCategory = kCategorySolver;
        record_.failureCode = kStatusStopped;
        view_.ShowErrorReport({kSteadyStateHeading, std::string(SolverMessage(kStatusStopped))});
        FailCommand();
        return;
    }
    if (!run.report) {
        record_.commandProblem = true;
        view_.ShowErrorReport({"CRITICAL ERROR:", run.failure});
        FailCommand();
        return;
    }
    app_.ShowSteadyStateReport(state_.fileName,
                               "Steady state for " + std::string(BaseFileName(state_.fileName)),
                               run.report);
    ContinueScript();
}

} // namespace kora

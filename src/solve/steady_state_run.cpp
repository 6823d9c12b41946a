#include "steady_state_run.h"

#include <exception>

#include "model/error_display.h"
#include "numeric/krmform_ss.h"

namespace kora {

SteadyStateRun RunSteadyState(KRMparser& model, KRMForm_ss& computation,
                              const TextLines& modelLines, int precision, int thresholdItem,
                              const std::function<void(const std::string&)>& status) {
    const auto show = [&status](const std::string& text) {
        if (status) status(text);
    };
    SteadyStateRun run;
    show("PARSING");
    model.Build(modelLines);
    show("");
    if (model.errorSink != nullptr && model.errorSink->code != 0) {
        model.errorSink->category = kCategoryModel;
        run.modelFailed = true;
        return run;
    }
    return ComputeSteadyState(model, computation, precision, thresholdItem, status);
}

SteadyStateRun ComputeSteadyState(KRMparser& model, KRMForm_ss& computation, int precision,
                                  int thresholdItem,
                                  const std::function<void(const std::string&)>& status) {
    const auto show = [&status](const std::string& text) {
        if (status) status(text);
    };
    SteadyStateRun run;
    const bool powerLaw = model.BuildForm();
    // A model that has no power-law form is still analysed, numerically.
    if (model.errorSink != nullptr) model.errorSink->ClearError();
    show("COMPUTING");
    try {
        computation.compute(powerLaw);
        run.status = computation.status;
        run.stopped = (computation.status & SS_STOPPED) != 0;
        if (run.stopped) {
            show("");
            return run;
        }
        run.report = std::make_shared<SsReport>();
        run.report->Fill(computation.form, computation.model, precision, thresholdItem,
                         computation);
    } catch (const std::exception& failure) {
        run.failure = failure.what();
        run.report.reset();
    }
    show("");
    return run;
}

} // namespace kora

// A model, its sink and a run driver, as one document owns them, for the
// tests that run model texts synchronously.
#pragma once

#include <atomic>

#include "solve/run_driver.h"

namespace kora::testing {

struct DriverDocument {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};
    RunDriver driver{model, form, sink};

    RunOutcome Run(const TextLines& lines, RunConfiguration configuration = {},
                   const std::atomic<bool>* stop = nullptr, const ProgressCallback& progress = {}) {
        return driver.RunToEnd(lines, configuration, stop, progress);
    }
};

} // namespace kora::testing

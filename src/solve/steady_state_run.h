// The steady-state analysis of a model text, from the lines to a filled
// report: the one path that documents and the batch tool share.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "model/krm_parser.h"
#include "numeric/report/ss_report.h"

namespace kora {

class KRMForm_ss;

struct SteadyStateRun {
    bool modelFailed = false;         // the sink holds the model error
    bool stopped = false;             // the computation's stop request ended it; no report
    std::string failure;              // what a failed computation threw; "" when none
    std::shared_ptr<SsReport> report; // filled when neither failed
    uint32_t status = 0;              // the computation's status bits
};

// What a document's steady state needs, copied on the main thread so that a
// worker can build and compute while the main thread goes on.
struct SteadyStateRequest {
    TextLines modelLines;
    int precision = 7;
    int thresholdItem = 0;
    bool useConservation = true;
    bool exactJacobian = false;
};

// The steps after a successful build: the power-law form (a model without
// one is analysed numerically), the computation and a report with
// `precision` digits and the sensitivity threshold choice `thresholdItem`.
// `status` receives the status-bar texts.
SteadyStateRun ComputeSteadyState(KRMparser& model, KRMForm_ss& computation, int precision,
                                  int thresholdItem,
                                  const std::function<void(const std::string&)>& status = nullptr);

// Builds the model from `modelLines`, then goes on as ComputeSteadyState.
SteadyStateRun RunSteadyState(KRMparser& model, KRMForm_ss& computation,
                              const TextLines& modelLines, int precision, int thresholdItem,
                              const std::function<void(const std::string&)>& status = nullptr);

} // namespace kora

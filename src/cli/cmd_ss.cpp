// kora-batch ss: the steady state of a model file, printed or saved as the
// report window saves it.
#include <algorithm>
#include <iostream>
#include <iterator>

#include "batch_settings.h"
#include "commands.h"
#include "common/file_names.h"
#include "model/krm_parser.h"
#include "model/messages.h"
#include "model/model_text.h"
#include "model_preflight.h"
#include "model_warnings.h"
#include "numeric/krmform_ss.h"
#include "numeric/report/ss_report.h"
#include "results/atomic_file.h"
#include "run_model_file.h"
#include "solve/steady_state_run.h"

namespace kora::cli {
namespace {

constexpr int kNoSteadyStateText = 31602;

// The item index of a threshold the report offers, or -1.
int ThresholdIndexOf(double threshold) {
    const auto found = std::find(kSensThresholds.begin(), kSensThresholds.end(), threshold);
    return found == kSensThresholds.end()
               ? -1
               : static_cast<int>(std::distance(kSensThresholds.begin(), found));
}

std::string ThresholdChoices() {
    std::string list;
    for (std::string_view text : kSensThresholdTexts)
        list += (list.empty() ? "" : ", ") + std::string(text);
    return list;
}

} // namespace

int RunSteadyStateCommand(const CliOptions& options) {
    int thresholdIndex = -1;
    if (options.threshold) {
        thresholdIndex = ThresholdIndexOf(*options.threshold);
        if (thresholdIndex < 0) {
            std::cerr << "kora-batch: --threshold must be one of " << ThresholdChoices() << "\n";
            return kExitUsage;
        }
    }
    BatchModelInput input;
    if (int code = LoadBatchModelInput(options, input, std::cerr); code != kExitOk) return code;
    const Settings& settings = input.settings;
    // The steady-state command reads script-block lines as model lines.
    PreflightModel prepared;
    prepared.fileName = options.input;
    prepared.fileLines = input.editorLines;
    // --set lands on the statements it names, as for run.
    std::vector<std::string> assignments;
    std::vector<std::string> setNames;
    for (const auto& [name, value] : options.assignments) {
        assignments.push_back(name + "=" + value);
        setNames.push_back(name);
    }
    if (!BuildPreflightModel(prepared, false, assignments, settings, std::cerr))
        return kExitModelError;
    const int warnings = ReportModelWarnings(prepared, settings, setNames, std::cerr);
    if (options.strict && warnings > 0) return kExitModelError;
    KRMForm_ss computation(prepared.form, prepared.model);
    computation.useConservation = !(options.noConservation || settings.ignoreConservation);
    computation.exactJacobian = options.exactJacobian.value_or(settings.exactJacobian);
    const SteadyStateRun run =
        ComputeSteadyState(prepared.model, computation, settings.ssPrec,
                           thresholdIndex >= 0 ? thresholdIndex : settings.sensThreshold);
    if (!run.report) {
        std::cerr << "CRITICAL ERROR:\n" << run.failure << "\n";
        return kExitModelError;
    }
    const SsReport& report = *run.report;

    if (options.output) {
        // Text files of the system end their lines with CR LF.
        const std::string failure = WriteFileAtomically(*options.output, report.SaveText("\r\n"));
        if (!failure.empty()) {
            std::cerr << "kora-batch: cannot write " << *options.output << ": " << failure << "\n";
            return kExitCantCreate;
        }
    } else {
        // The printed report always says whether the steady state is stable;
        // the saved one keeps its layout for models without relations.
        std::cout << "Steady state for " << BaseFileName(options.input) << "\n"
                  << report.SaveText("\n", true);
        std::cout.flush();
    }
    // A report without a steady state is still written, but scripts can tell.
    const bool found = (run.status & (SS_NO_EQUATIONS | SS_NOT_FOUND)) == 0;
    if (!found) std::cerr << MessageText(kNoSteadyStateText) << "\n";
    return found ? kExitOk : kExitSolverFailure;
}

} // namespace kora::cli

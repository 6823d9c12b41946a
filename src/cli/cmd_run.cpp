// kora-batch run: one solve of a model file (its script block is not run
// yet), its time course on stdout or in a results-file data section.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <iostream>

#include "batch_settings.h"
#include "commands.h"
#include "model/model_text.h"
#include "run_model_file.h"
#include "run_output.h"
#include "solve/run_driver.h"

namespace kora::cli {

namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) {
    interrupted.store(true);
}

// Ctrl-C stops the run between two steps, keeping the rows so far.
class InterruptGuard {
public:
    InterruptGuard() : previous_(std::signal(SIGINT, OnInterrupt)) { interrupted.store(false); }
    ~InterruptGuard() { std::signal(SIGINT, previous_); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    void (*previous_)(int);
};

RunConfiguration ConfigurationFrom(const CliOptions& options, const Settings& settings) {
    RunConfiguration configuration;
    configuration.method =
        options.method.value_or("taylor") == "lsoda" ? SolverMethod::Lsoda : SolverMethod::Taylor;
    configuration.createResults = true;
    configuration.logTolerance = options.tolerance.value_or(settings.mLogTolerance);
    configuration.minOrder = options.minOrder.value_or(settings.minOrder);
    configuration.maxOrder = options.maxOrder.value_or(settings.maxOrder);
    configuration.filePrecision = settings.filePrec;
    return configuration;
}

const char* SolverName(const RunDriver& driver, SolverMethod method) {
    if (driver.solver() != nullptr) return driver.solver()->name;
    return method == SolverMethod::Taylor ? "Taylor method solver." : "LSODA solver.";
}

bool WriteTimeCourse(const RunOutcome& outcome, const CliOptions& options, int precision) {
    if (!outcome.timeCourse) return true;
    if (!options.output) {
        WriteDataSection(std::cout, *outcome.timeCourse, precision);
        std::cout.flush();
        return static_cast<bool>(std::cout);
    }
    std::ofstream out(*options.output, std::ios::binary);
    if (out) WriteDataSection(out, *outcome.timeCourse, precision);
    out.close();
    if (out) return true;
    std::cerr << "kora-batch: cannot write " << *options.output << "\n";
    return false;
}

int ExitCodeOf(const RunOutcome& outcome) {
    if (outcome.Succeeded()) return kExitOk;
    if (outcome.category == kCategoryModel) return kExitModelError;
    if (outcome.category == kCategorySolver && outcome.code == kStatusStopped) return kExitStopped;
    return kExitSolverFailure;
}

} // namespace

int RunRunCommand(const CliOptions& options) {
    const BatchSettings loaded = LoadBatchSettings(options);
    if (!loaded.ok()) {
        std::cerr << "kora-batch: " << loaded.error << "\n";
        return kExitNoInput;
    }
    TextLines text;
    if (ReadTextLines(options.input, text) != TextReadStatus::Ok) {
        std::cerr << "kora-batch: cannot read " << options.input << "\n";
        return kExitNoInput;
    }
    const Settings& settings = loaded.settings;
    const RunConfiguration configuration = ConfigurationFrom(options, settings);

    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    ApplyModelSettings(model, settings);
    RunDriver driver(model, form, sink);

    const bool showProgress = isatty(STDERR_FILENO) != 0;
    bool progressShown = false;
    ProgressCallback progress;
    if (showProgress)
        progress = [&progressShown](const winintegrator& solver) {
            std::cerr << '\r' << ProgressLine(solver) << "\x1b[K" << std::flush;
            progressShown = true;
        };
    RunOutcome outcome;
    {
        InterruptGuard guard;
        outcome = driver.RunToEnd(ExtractModelLines(text, true).modelLines, configuration,
                                  &interrupted, progress);
    }
    if (progressShown) std::cerr << '\n';

    if (outcome.category == kCategoryUnavailable) {
        std::cerr << "kora-batch: " << outcome.detail << "\n";
        return kExitUnavailable;
    }
    const bool written = WriteTimeCourse(outcome, options, settings.filePrec);
    if (options.stats) WriteStatistics(std::cerr, outcome);
    if (!outcome.Succeeded())
        for (const std::string& line :
             ErrorReportLines(outcome, SolverName(driver, configuration.method)))
            std::cerr << line << "\n";
    if (!written && outcome.Succeeded()) return kExitCantCreate;
    return ExitCodeOf(outcome);
}

} // namespace kora::cli

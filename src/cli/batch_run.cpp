#include "batch_run.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <mutex>
#include <thread>

#include "batch_workspace.h"
#include "plot_output.h"
#include "results/plot_ranges.h"
#include "results/results_file.h"
#include "results/results_save.h"
#include "run_output.h"

namespace kora::cli {

namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) {
    interrupted.store(true);
}

// Ctrl-C becomes a Stop of the running document.
class InterruptGuard {
public:
    InterruptGuard() : previous_(std::signal(SIGINT, OnInterrupt)) { interrupted.store(false); }
    ~InterruptGuard() { std::signal(SIGINT, previous_); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    void (*previous_)(int);
};

// Turns Ctrl-C into a Stop from a thread of its own: the main thread may be
// busy solving for as long as a whole run.
class InterruptWatcher {
public:
    explicit InterruptWatcher(SystemDocument& document)
        : thread_([this, &document] { Watch(document); }) {}
    ~InterruptWatcher() {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

private:
    void Watch(SystemDocument& document) {
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::milliseconds(20), [this] { return done_; }))
            if (interrupted.exchange(false)) document.StopMenuClick();
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

void WriteAllData(std::ostream& out, const ResultsSet& results, int precision) {
    for (size_t i = 0; i < results.timeCourses.size(); ++i)
        WriteDataSection(out, results.timeCourses[i], precision, static_cast<int>(i));
}

// Without -o the data go to stdout, unless the script writes there itself.
// A failed run without a single row leaves -o's file as it was.
bool WriteResults(const SystemDocument& document, const ResultsSet& results,
                  const CliOptions& options, const Settings& settings, bool failed,
                  std::ostream& out, std::ostream& err) {
    if (!options.output) {
        if (!document.scriptRecord().wrote) WriteAllData(out, results, settings.filePrec);
        out.flush();
        return static_cast<bool>(out);
    }
    if (failed && !HasRows(results)) return true;
    // The complete results file, plot description first, written atomically.
    ResultsSet saved = results;
    saved.precision = settings.filePrec;
    saved.fileName.clear(); // so that the ranges come from the data, not an old file
    Recompute(saved);
    const ResultsFileResult written =
        SaveResultsSet(saved, *options.output, settings.filePrec, document.fileName());
    if (written.ok) return true;
    err << "kora-batch: cannot write " << *options.output << ": " << written.reason << "\n";
    return false;
}

int ExitCodeOf(const ScriptRecord& record, int problems) {
    if (record.stoppedBetweenCommands) return kExitStopped;
    if (record.failureCategory == kCategorySolver)
        return record.failureCode == kStatusStopped ? kExitStopped : kExitSolverFailure;
    if (record.failureCategory == kCategoryUnavailable) return kExitUnavailable;
    if (record.failureCategory != 0 || record.rejected || record.commandProblem ||
        record.runDeclined || problems > 0)
        return kExitModelError;
    return kExitOk;
}

} // namespace

Settings RunSettings(const CliOptions& options, const Settings& loaded) {
    Settings settings = loaded;
    // Without --method the "Method" setting decides, as in the desktop app:
    // "Taylor" selects the Taylor method, anything else (default "BDF") LSODA.
    if (options.method) settings.method = *options.method == "taylor" ? "Taylor" : "BDF";
    settings.mLogTolerance = options.tolerance.value_or(settings.mLogTolerance);
    settings.absTolerance = options.absoluteTolerance.value_or(settings.absTolerance);
    settings.minOrder = options.minOrder.value_or(settings.minOrder);
    settings.maxOrder = options.maxOrder.value_or(settings.maxOrder);
    settings.maxRunValues = options.maxValues.value_or(settings.maxRunValues);
    settings.sweepThreads = options.threads.value_or(settings.sweepThreads);
    settings.exactJacobian = options.exactJacobian.value_or(settings.exactJacobian);
    return settings;
}

int RunScriptForBatch(const CliOptions& options, const Settings& settings, const TextLines& lines,
                      std::ostream& out, std::ostream& err) {
    std::error_code error;
    // Script file names are relative to the model's directory.
    const std::string fileName = std::filesystem::absolute(options.input, error).string();
    BatchWorkspace workspace(settings, out, err);
    SystemDocument* document = workspace.OpenDocument(error ? options.input : fileName, &lines);
    if (document == nullptr) return kExitNoInput;
    workspace.ShowAs(*document, options.input);

    std::vector<std::string> assignments;
    for (const auto& [name, value] : options.assignments)
        assignments.push_back(name + "=" + value);
    document->SetStartAssignments(std::move(assignments));
    // Nobody watches a batch run run by run.
    document->SetUnwatchedRuns(true);
    {
        InterruptGuard guard;
        InterruptWatcher watcher(*document);
        document->AnalysisRunClick();
        workspace.queue().RunUntil([document] { return !document->IsRunning(); },
                                   std::chrono::milliseconds(50), [] {});
    }
    if (workspace.progressShown()) err << '\n';
    const ScriptRecord& record = document->scriptRecord();
    if (record.stoppedBetweenCommands) err << "Script stopped by user.\n";
    const ResultsSet& results = document->results();
    int code = ExitCodeOf(record, workspace.problems());
    const bool written =
        WriteResults(*document, results, options, settings, code != kExitOk, out, err);
    if (options.stats && record.solves > 0) {
        RunOutcome outcome;
        outcome.statistics = record.lastStatistics;
        WriteStatistics(err, outcome);
    }
    if (options.plot && code == kExitOk) code = RenderPlotForBatch(results, options, settings, err);
    if (!written && code == kExitOk) return kExitCantCreate;
    return code;
}

} // namespace kora::cli

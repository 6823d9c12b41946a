// Reading and writing a document's results files on a thread of their own,
// so that a large file never holds up the window. The document counts as
// running meanwhile: no run starts, no close goes through and its results
// stay as they are, so nothing the user does meanwhile is lost.
#include <exception>
#include <memory>
#include <utility>

#include "base/app_host.h"
#include "base/document_host.h"
#include "results/plot_ranges.h"
#include "results/results_file.h"
#include "results/results_save.h"
#include "system_document.h"

namespace kora {

void SystemDocument::StartFileJob(std::function<void()> work, std::function<void()> done) {
    // The previous job has ended: its finish ran before this was possible.
    if (fileThread_.joinable()) fileThread_.join();
    fileJob_.store(true);
    const bool show = !runningShown_;
    if (show) view_.SetRunning(true);
    fileThread_ = std::thread([this, show, work = std::move(work), done = std::move(done)] {
        std::string failure;
        try {
            work();
        } catch (const std::exception& escaped) {
            failure = escaped.what();
        } catch (...) {
            failure = "unknown failure";
        }
        // A closed gate means the document is going: nothing more to do.
        gate_.Call([this, show, &failure, &done] {
            fileJob_.store(false);
            if (show) view_.SetRunning(false);
            if (!failure.empty()) app_.ReportInternalError(failure);
            done();
        });
    });
}

void SystemDocument::ReadResultsInBackground(const std::string& fileName, char decimalSeparator,
                                             ResultsFileDone done) {
    auto read = std::make_shared<ResultsSet>();
    auto outcome = std::make_shared<ResultsFileResult>(ResultsFileResult{false, "read failed"});
    StartFileJob(
        [read, outcome, fileName, decimalSeparator, stock = settings_.stockColours] {
            *outcome = ReadResultsFile(*read, fileName, decimalSeparator, stock);
        },
        [this, read, outcome, done = std::move(done)] {
            if (*outcome) {
                results_ = std::move(*read);
                MarkHasResults();
                view_.ResultsChanged();
            }
            if (done) done(*outcome);
        });
}

void SystemDocument::SaveResultsInBackground(const std::string& fileName, ResultsFileDone done) {
    // The copy shares the rows; only the settings and names are copied.
    auto copy = std::make_shared<ResultsSet>(results_);
    auto outcome = std::make_shared<ResultsFileResult>(ResultsFileResult{false, "write failed"});
    const int32_t precision = settings_.filePrec;
    // A results document's own file is its results; otherwise the model's
    // file must not be overwritten.
    const std::string model = resultsDocument_ ? std::string() : state_.fileName;
    StartFileJob([copy, outcome, fileName, precision,
                  model] { *outcome = SaveResultsSet(*copy, fileName, precision, model); },
                 [this, outcome, precision, done = std::move(done)] {
                     results_.precision = precision;
                     if (*outcome) results_.modified = false;
                     if (done) done(*outcome);
                 });
}

void SystemDocument::SaveResultsAndContinue(const std::string& fileName,
                                            std::function<void(const std::string&)> failed) {
    SaveResultsInBackground(fileName,
                            [this, failed = std::move(failed)](const ResultsFileResult& written) {
                                if (!written && failed) failed(written.reason);
                                ContinueScript();
                            });
}

} // namespace kora

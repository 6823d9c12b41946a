#include "batch_host.h"

#include <utility>

#include "batch_workspace.h"
#include "model/run_size.h"
#include "model_diagnostics.h"
#include "run_output.h"

namespace kora::cli {

namespace {

// The heading of a model error's report.
constexpr const char* kModelErrorHeading = "CRITICAL ERROR:";

} // namespace

BatchHost::BatchHost(BatchWorkspace& workspace, std::string fileName, TextLines editorLines)
    : workspace_(workspace), shownName_(std::move(fileName)), editorLines_(std::move(editorLines)) {
}

void BatchHost::ShowProgress(const ProgressSnapshot& progress) {
    if (progress.phase != ProgressSnapshot::Phase::Running || !workspace_.showProgress()) return;
    workspace_.err() << '\r' << ProgressLine(progress) << "\x1b[K" << std::flush;
    workspace_.NoteProgressShown();
}

void BatchHost::ShowErrorReport(const std::vector<std::string>& lines) {
    if (lines.size() >= 2 && lines[0] == kModelErrorHeading && document_ != nullptr) {
        PrintDiagnostic(shownName_, document_->modelErrorPlace(), "error", lines[1],
                        {lines.begin() + 2, lines.end()}, workspace_.err());
        return;
    }
    for (const std::string& line : lines)
        workspace_.err() << line << '\n';
    workspace_.err().flush();
}

void BatchHost::WarningBox(const std::string& text, const std::string& title) {
    workspace_.NoteProblem();
    workspace_.err() << title << '\n' << text << '\n' << std::flush;
}

Answer BatchHost::Ask(const std::string& text, const std::string& title) {
    workspace_.err() << title << '\n' << text << "\nanswer: Cancel\n" << std::flush;
    return Answer::Cancel;
}

bool BatchHost::ConfirmLargeRun(const RunSize& size, int64_t limit) {
    workspace_.err() << PlacePrefix(shownName_, {}) << "error: one run would report " << size.values
                     << " values (" << size.rows << " rows of " << size.columns
                     << " columns), more than the limit of " << limit
                     << "; raise hr, or the limit with --max-values\n"
                     << std::flush;
    return false;
}

} // namespace kora::cli

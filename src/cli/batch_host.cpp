#include "batch_host.h"

#include "batch_workspace.h"
#include "run_output.h"

namespace kora::cli {

BatchHost::BatchHost(BatchWorkspace& workspace, TextLines editorLines)
    : workspace_(workspace), editorLines_(std::move(editorLines)) {}

void BatchHost::ShowProgress(const ProgressSnapshot& progress) {
    if (progress.phase != ProgressSnapshot::Phase::Running || !workspace_.showProgress()) return;
    workspace_.err() << '\r' << ProgressLine(progress) << "\x1b[K" << std::flush;
    workspace_.NoteProgressShown();
}

void BatchHost::ShowErrorReport(const std::vector<std::string>& lines) {
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

} // namespace kora::cli

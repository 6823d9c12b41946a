#include "batch_host.h"

#include "batch_workspace.h"
#include "numeric/report/ss_report.h"
#include "run_output.h"

namespace kora::cli {

BatchHost::BatchHost(BatchWorkspace& workspace, TextLines editorLines)
    : workspace_(workspace), editorLines_(std::move(editorLines)) {}

void BatchHost::RunOnMainThread(const std::function<void()>& work) {
    workspace_.queue().RunOnMainThread(work);
}

void BatchHost::UpdateProgress(const winintegrator& solver, const std::string&) {
    if (!workspace_.showProgress()) return;
    workspace_.err() << '\r' << ProgressLine(solver) << "\x1b[K" << std::flush;
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

void BatchHost::AppendMessages(const std::string&, const std::string& text) {
    workspace_.out() << text << std::flush;
}

void BatchHost::ShowSteadyStateReport(const std::string& caption, const KRMForm_ss& ss,
                                      int precision) {
    SsReport report;
    report.Fill(ss.form, ss.model, precision, workspace_.settings().sensThreshold, ss);
    workspace_.out() << caption << '\n' << report.SaveText("\n") << std::flush;
}

bool BatchHost::IsDocumentOpen(const std::string& fileName) {
    return workspace_.Find(fileName) != nullptr;
}

bool BatchHost::OpenDocument(const std::string& fileName) {
    if (workspace_.Open(fileName) != nullptr) return true;
    workspace_.NoteProblem(); // the reason is on stderr: the script failed
    return false;
}

void BatchHost::CloseDocument(const std::string& fileName) {
    workspace_.Close(fileName);
}

void BatchHost::ReportInternalError(const std::string& what) {
    workspace_.err() << "kora-batch: " << what << '\n' << std::flush;
}

} // namespace kora::cli

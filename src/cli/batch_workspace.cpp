#include "batch_workspace.h"

#include <unistd.h>

#include "numeric/report/ss_report.h"

namespace kora::cli {

BatchWorkspace::BatchWorkspace(const Settings& settings, std::ostream& out, std::ostream& err)
    : out_(out), err_(err), queue_([this](const std::string& what) { ReportInternalError(what); }),
      showProgress_(isatty(STDERR_FILENO) != 0), workspace_(*this, *this, settings) {}

BatchWorkspace::~BatchWorkspace() = default;

SystemDocument* BatchWorkspace::OpenDocument(const std::string& fileName, const TextLines* lines) {
    std::string reason;
    switch (lines != nullptr ? workspace_.OpenModelText(fileName, *lines)
                             : workspace_.OpenFile(fileName, &reason)) {
    case OpenResult::Opened:
    case OpenResult::AlreadyOpen:
        return workspace_.Find(fileName);
    case OpenResult::Unreadable:
        break;
    }
    err_ << "kora-batch: cannot read " << fileName << (reason.empty() ? "" : ": ") << reason
         << '\n';
    return nullptr;
}

bool BatchWorkspace::Open(const std::string& fileName) {
    if (OpenDocument(fileName) != nullptr) return true;
    NoteProblem();
    return false;
}

void BatchWorkspace::Close(const std::string& fileName) {
    switch (workspace_.CloseFile(fileName)) {
    case CloseResult::Running:
        err_ << "kora-batch: " << fileName << " is running and stays open\n";
        break;
    case CloseResult::Kept:
        err_ << "kora-batch: the unsaved results of " << fileName
             << " stay in memory until the end\n";
        break;
    case CloseResult::Busy: // no dialogs here: never
    case CloseResult::Closed:
    case CloseResult::NotOpen:
        break;
    }
}

void BatchWorkspace::AppendMessages(const std::string&, const std::string& text) {
    out_ << text << std::flush;
}

void BatchWorkspace::ShowSteadyStateReport(const std::string&, const std::string& caption,
                                           std::shared_ptr<const SsReport> report) {
    out_ << caption << '\n' << report->SaveText("\n") << std::flush;
}

void BatchWorkspace::ReportInternalError(const std::string& what) {
    err_ << "kora-batch: " << what << '\n' << std::flush;
}

std::unique_ptr<DocumentHost> BatchWorkspace::CreateView(const std::string& fileName,
                                                         const TextLines& editorLines, bool) {
    return std::make_unique<BatchHost>(*this, fileName, editorLines);
}

void BatchWorkspace::ShowDocument(DocumentHost& view, SystemDocument& document) {
    static_cast<BatchHost&>(view).Bind(document);
}

void BatchWorkspace::ShowAs(SystemDocument& document, const std::string& name) {
    if (DocumentHost* view = workspace_.ViewOf(document))
        static_cast<BatchHost*>(view)->SetShownName(name);
}

} // namespace kora::cli

// The application side of one kora-batch run: the main thread's queue, the
// streams every document writes to, and the core workspace of documents
// loaded from files, with the batch's notes on what it refuses.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "base/app_host.h"
#include "batch_host.h"
#include "settings/settings.h"
#include "solve/main_thread_queue.h"
#include "solve/system_document.h"
#include "solve/workspace.h"

namespace kora::cli {

class BatchWorkspace final : public AppHost, public DocumentFactory, public DocumentList {
public:
    BatchWorkspace(const Settings& settings, std::ostream& out, std::ostream& err);
    ~BatchWorkspace() override;
    BatchWorkspace(const BatchWorkspace&) = delete;
    BatchWorkspace& operator=(const BatchWorkspace&) = delete;

    // Opens a model (or, for ".RES", a results) file as a new document, or
    // finds it open; null when it cannot be read (the reason is on stderr).
    // With `lines` the model's lines are those, already read from the file.
    SystemDocument* OpenDocument(const std::string& fileName, const TextLines* lines = nullptr);
    SystemDocument* Find(const std::string& fileName) { return workspace_.Find(fileName); }
    // Messages about `document` name it `name`.
    void ShowAs(SystemDocument& document, const std::string& name);

    MainThreadQueue& queue() { return queue_; }
    std::ostream& out() { return out_; }
    std::ostream& err() { return err_; }
    bool showProgress() const { return showProgress_; }
    void NoteProgressShown() { progressShown_ = true; }
    bool progressShown() const { return progressShown_; }

    // Message boxes shown by scripts: each is a script error.
    void NoteProblem() { ++problems_; }
    int problems() const { return problems_; }

    // AppHost: messages and reports on stdout.
    void PostToMainThread(std::function<void()> work) override { queue_.Post(std::move(work)); }
    void OpenMessagesWindow(const std::string&, const std::string&) override {}
    void AppendMessages(const std::string& writer, const std::string& text) override;
    void FinishMessagesWindow(const std::string&) override {}
    void ShowSteadyStateReport(const std::string& writer, const std::string& caption,
                               std::shared_ptr<const SsReport> report) override;
    DocumentList& documents() override { return *this; }
    void Beep() override {}
    void ReportInternalError(const std::string& what) override;

    // DocumentFactory.
    std::unique_ptr<DocumentHost> CreateView(const std::string& fileName,
                                             const TextLines& editorLines,
                                             bool resultsDocument) override;
    void ShowDocument(DocumentHost& view, SystemDocument& document) override;
    void ActivateView(DocumentHost&) override {}

    // DocumentList: the workspace's rules, with a note on stderr for what a
    // batch cannot do.
    bool IsOpen(const std::string& fileName) override { return workspace_.IsOpen(fileName); }
    // A file a script cannot open fails the script (the reason is on stderr).
    bool Open(const std::string& fileName) override;
    void Activate(const std::string&) override {}
    void Close(const std::string& fileName) override;

private:
    std::ostream& out_;
    std::ostream& err_;
    MainThreadQueue queue_;
    bool showProgress_ = false;
    bool progressShown_ = false;
    int problems_ = 0;
    Workspace workspace_; // last: its documents go first
};

} // namespace kora::cli

// What the application provides to every document: the main-thread
// dispatcher, messages windows, steady-state report windows, the list of
// open documents, the beep and the report of internal failures.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace kora {

class SsReport;

// The open documents as scripts reach them; names are file names.
class DocumentList {
public:
    virtual ~DocumentList() = default;
    virtual bool IsOpen(const std::string& fileName) = 0;
    // Opens the file as a new document; false when it could not be read.
    virtual bool Open(const std::string& fileName) = 0;
    // Shows the document and gives it the focus.
    virtual void Activate(const std::string& fileName) = 0;
    // The ordinary close of a document, with its questions.
    virtual void Close(const std::string& fileName) = 0;
};

class AppHost {
public:
    virtual ~AppHost() = default;

    // Queues `work` to run on the main thread and returns; on the main thread
    // itself it may run `work` at once. It must never wait for the main
    // thread: a document waits for its own calls and can give up waiting
    // when it is destroyed (see MainThreadGate).
    virtual void PostToMainThread(std::function<void()> work) = 0;

    // The messages window of the document `writer` (its full file name):
    // found or created with `caption`, and marked busy.
    virtual void OpenMessagesWindow(const std::string& writer, const std::string& caption) = 0;
    virtual void AppendMessages(const std::string& writer, const std::string& text) = 0;
    // Marks the window finished: it may be saved and closed again.
    virtual void FinishMessagesWindow(const std::string& writer) = 0;

    // A new steady-state report window of the document `writer` (its full
    // file name, as for messages windows); it keeps the report.
    virtual void ShowSteadyStateReport(const std::string& writer, const std::string& caption,
                                       std::shared_ptr<const SsReport> report) = 0;

    virtual DocumentList& documents() = 0;
    virtual void Beep() = 0;
    // A failure that escaped a command or a main-thread call.
    virtual void ReportInternalError(const std::string& what) = 0;
};

} // namespace kora

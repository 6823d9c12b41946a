// The narrow interface through which the core reaches the user. The desktop
// application and kora-batch each implement it; the core never shows anything
// itself. One host serves one document: its status bar, editor and questions
// are that document's.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kora {

class winintegrator;
class KRMForm_ss;

enum class Answer { Yes, No, Cancel };

class Host {
public:
    virtual ~Host() = default;

    // Runs `work` on the main thread and waits for it to finish.
    virtual void RunOnMainThread(const std::function<void()>& work) = 0;

    // Status text of a document (panel 0 of its status bar).
    virtual void SetStatus(const std::string& text) = 0;
    // Progress of a running solver; `methodLabel` is "TAYLOR" or "LSODA".
    virtual void UpdateProgress(const winintegrator& solver, const std::string& methodLabel) = 0;
    // The lines of the error dialog, as the error sink builds them.
    virtual void ShowErrorReport(const std::vector<std::string>& lines) = 0;
    // A warning message box.
    virtual void WarningBox(const std::string& text, const std::string& title) = 0;
    // A Yes/No/Cancel question.
    virtual Answer Ask(const std::string& text, const std::string& title) = 0;
    virtual void Beep() = 0;

    // The rest has defaults so that a host which only checks scripts need
    // not implement what runs them.

    // The solver information panel starts a solve: counters back to 0.
    virtual void ResetProgress(const std::string& /*methodLabel*/) {}
    // The end of a solve: elapsed milliseconds and the last percentage.
    virtual void ShowFinalProgress(const winintegrator& /*solver*/) {}

    // Running mode: editor and Run/Steady state disabled, Stop enabled and
    // the information panel shown; and back.
    virtual void SetRunning(bool /*running*/) {}
    // The editor's current text, line for line.
    virtual std::vector<std::string> EditorLines() { return {}; }
    // The document has no file name: the frame's Save command. Returns the
    // name it was saved under, or "" when the user declined.
    virtual std::string SaveDocument() { return {}; }
    // The results changed: show the results pane and refresh its views.
    virtual void ResultsChanged() {}

    // The messages window with this caption: found or created, bound to the
    // document and marked busy (its buttons disabled).
    virtual void OpenMessagesWindow(const std::string& /*caption*/,
                                    const std::string& /*documentFileName*/) {}
    // Appends `text` at the end of the window's text.
    virtual void AppendMessages(const std::string& /*caption*/, const std::string& /*text*/) {}
    // Marks the window finished: it may be saved and closed again.
    virtual void FinishMessagesWindow(const std::string& /*caption*/) {}

    // A filled steady-state report window with this caption; numbers with
    // `precision` significant digits.
    virtual void ShowSteadyStateReport(const std::string& /*caption*/, const KRMForm_ss& /*ss*/,
                                       int /*precision*/) {}

    // The workspace of open documents; names are full file names.
    virtual bool IsDocumentOpen(const std::string& /*fileName*/) { return false; }
    // Opens the file as a new document; false when it could not be read.
    virtual bool OpenDocument(const std::string& /*fileName*/) { return false; }
    // Shows the document and gives it the focus; "" means this document.
    virtual void ActivateDocument(const std::string& /*fileName*/) {}
    // The ordinary close of a document, with its questions.
    virtual void CloseDocument(const std::string& /*fileName*/) {}

    // A failure that escaped a command, after its message box was shown.
    virtual void ReportInternalError(const std::string& /*what*/) {}
};

} // namespace kora

// The host of one document in kora-batch: messages on stdout, boxes, error
// reports and questions on stderr, and the workspace for the rest.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "model/krm_parser.h"
#include "solve/base/host.h"

namespace kora::cli {

class BatchWorkspace;

class BatchHost : public Host {
public:
    BatchHost(BatchWorkspace& workspace, TextLines editorLines);

    void RunOnMainThread(const std::function<void()>& work) override;
    void SetStatus(const std::string&) override {}
    void UpdateProgress(const winintegrator& solver, const std::string& methodLabel) override;
    void ShowErrorReport(const std::vector<std::string>& lines) override;
    void WarningBox(const std::string& text, const std::string& title) override;
    // Prints the question and answers Cancel: a batch keeps whatever it is
    // asked about.
    Answer Ask(const std::string& text, const std::string& title) override;
    void Beep() override {}

    std::vector<std::string> EditorLines() override { return editorLines_; }
    void AppendMessages(const std::string& caption, const std::string& text) override;
    void ShowSteadyStateReport(const std::string& caption, const KRMForm_ss& ss,
                               int precision) override;

    bool IsDocumentOpen(const std::string& fileName) override;
    bool OpenDocument(const std::string& fileName) override;
    void ActivateDocument(const std::string&) override {}
    void CloseDocument(const std::string& fileName) override;
    void ReportInternalError(const std::string& what) override;

private:
    BatchWorkspace& workspace_;
    TextLines editorLines_;
};

} // namespace kora::cli

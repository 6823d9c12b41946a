// The view of one document in kora-batch: boxes, error reports and questions
// on stderr, progress on a terminal's stderr; nothing else is shown.
#pragma once

#include <string>
#include <vector>

#include "model/model_text.h"
#include "solve/base/document_host.h"

namespace kora::cli {

class BatchWorkspace;

class BatchHost final : public DocumentHost {
public:
    BatchHost(BatchWorkspace& workspace, TextLines editorLines);

    void WarningBox(const std::string& text, const std::string& title) override;
    void SetStatus(const std::string&) override {}
    void ShowProgress(const ProgressSnapshot& progress) override;
    void SetRunning(bool) override {}
    void ResultsChanged() override {}
    void ShowErrorReport(const std::vector<std::string>& lines) override;
    // Prints the question and answers Cancel: a batch keeps whatever it is
    // asked about.
    Answer Ask(const std::string& text, const std::string& title) override;

    std::vector<std::string> EditorLines() override { return editorLines_; }
    bool TextModified() override { return false; }
    std::string SaveDocument() override { return {}; }
    bool SaveCurrentResults() override { return false; }

private:
    BatchWorkspace& workspace_;
    TextLines editorLines_;
};

} // namespace kora::cli

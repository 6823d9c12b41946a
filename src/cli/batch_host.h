// The view of one document in kora-batch: boxes, error reports and questions
// on stderr, progress on a terminal's stderr; nothing else is shown.
#pragma once

#include <string>
#include <vector>

#include "base/document_host.h"
#include "model/model_text.h"

namespace kora {
class SystemDocument;
}

namespace kora::cli {

class BatchWorkspace;

class BatchHost final : public DocumentHost {
public:
    BatchHost(BatchWorkspace& workspace, std::string fileName, TextLines editorLines);

    void Bind(const SystemDocument& document) { document_ = &document; }
    // The file's name in messages: as the user wrote it.
    void SetShownName(std::string name) { shownName_ = std::move(name); }

    void WarningBox(const std::string& text, const std::string& title) override;
    void SetStatus(const std::string&) override {}
    void ShowProgress(const ProgressSnapshot& progress) override;
    void SetRunning(bool) override {}
    void ResultsChanged() override {}
    // A model error as "FILE:LINE:COLUMN: error: MESSAGE"; other reports as
    // their lines.
    void ShowErrorReport(const std::vector<std::string>& lines) override;
    // Prints the question and answers Cancel: a batch keeps whatever it is
    // asked about.
    Answer Ask(const std::string& text, const std::string& title) override;
    // Refuses, giving the count and the limit.
    bool ConfirmLargeRun(const RunSize& size, int64_t limit) override;

    std::vector<std::string> EditorLines() override { return editorLines_; }
    bool TextModified() override { return false; }
    std::string SaveDocument() override { return {}; }
    bool SaveCurrentResults() override { return false; }

private:
    BatchWorkspace& workspace_;
    std::string shownName_;
    TextLines editorLines_;
    const SystemDocument* document_ = nullptr;
};

} // namespace kora::cli

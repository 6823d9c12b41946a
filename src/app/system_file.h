// A document window: the model editor and the results pane side by side,
// the solver information panel and the status bar. It is the face of one
// core document; every command it offers goes to that document.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "base/document_host.h"
#include "model/model_text.h"
#include "settings/settings.h"

class QStackedWidget;

namespace kora {
class SystemDocument;
class Workspace;
} // namespace kora

namespace kora::app {

class DocumentSplitter;
class DocumentStatusBar;
class ModelEditor;
class ModelWarningsList;
class PlotPane;
class RecoveryFile;
class ResultsTableView;
class SolverInfoPanel;

class TSystemFile : public QWidget, public DocumentHost {
    Q_OBJECT

public:
    // `caption` names a document without a file ("NONAME1").
    TSystemFile(Workspace& workspace, const QString& caption, const TextLines& lines,
                bool resultsDocument, const QString& recoveryFolder);
    ~TSystemFile() override;

    void Bind(SystemDocument& document);
    SystemDocument* document() const { return document_; }

    ModelEditor* editor() const { return editor_; }
    PlotPane* plotPane() const { return plot_; }
    ResultsTableView* table() const { return table_; }
    SolverInfoPanel* infoPanel() const { return info_; }
    ModelWarningsList* warningsList() const { return warnings_; }
    DocumentStatusBar* statusBar() const { return status_; }
    DocumentSplitter* splitter() const { return splitter_; }
    RecoveryFile* recovery() const { return recovery_.get(); }
    bool running() const { return running_; }
    bool isResultsDocument() const { return resultsDocument_; }
    bool resultsPaneShown() const;
    // The caption: the file name without its folder.
    QString caption() const;

    // A restored text: the editor takes it as modified.
    void RestoreText(const QString& text);
    // Save As: asks for a name; "" when declined or failed.
    std::string SaveDocumentAs();
    // A new name for the document, as after Save As (the text is not written).
    void NameDocument(const QString& fileName);
    // Writes the text to `fileName`; "" or the reason.
    std::string WriteText(const std::string& fileName);

    void ApplySettings(const Settings& settings);
    void ShowSolutionInfo(bool show);
    bool solutionInfoShown() const;
    // The results commands.
    void SetView(int8_t view);
    void ToggleBlackAndWhite();
    void CopyResults();
    void SaveResultsAs();
    void SaveResultsUnderName();
    void ClearDocumentResults();
    void ChooseBackgroundColour();
    void ExportPlotImage();
    // The results file this window shows; "" when none.
    std::string ResultsFileName() const;
    void MergeFromDocument(const SystemDocument& source);
    void MergeFromAllDocuments(const std::vector<const SystemDocument*>& sources);

    // DocumentHost.
    void SetStatus(const std::string& text) override;
    void ShowProgress(const ProgressSnapshot& progress) override;
    void SetRunning(bool running) override;
    void ResultsChanged() override;
    void ShowErrorReport(const std::vector<std::string>& lines) override;
    void SelectModelSpan(int32_t offset, int32_t length) override;
    void ShowModelWarnings(const std::vector<ModelWarning>& warnings) override;
    Answer Ask(const std::string& text, const std::string& title) override;
    bool ConfirmLargeRun(const RunSize& size, int64_t limit) override;
    void WarningBox(const std::string& text, const std::string& title) override;
    std::vector<std::string> EditorLines() override;
    bool TextModified() override;
    std::string SaveDocument() override;
    bool SaveCurrentResults() override;

signals:
    // The window's file name changed (Save As).
    void fileNameChanged();
    // The results were written to `savedName`.
    void resultsSaved(const QString& savedName);
    void runningChanged(bool running);
    // The window system asked to close the window; the frame decides, later.
    void closeRequested(kora::SystemDocument* document);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowResultsPage();
    void SelectFileLine(int line);
    // The file name Save As offers: the model's NAME when it has one.
    QString OfferedFileName() const;
    void NoteSavedResults(const std::string& savedName);
    void SaveResultsInBackground(const std::string& name);
    QWidget* ResultsFrame();

    Workspace& workspace_;
    SystemDocument* document_ = nullptr;
    QString caption_;
    bool resultsDocument_;
    bool running_ = false;
    ModelEditor* editor_;
    PlotPane* plot_;
    ResultsTableView* table_;
    QStackedWidget* resultsStack_ = nullptr;
    DocumentSplitter* splitter_;
    SolverInfoPanel* info_;
    ModelWarningsList* warnings_;
    DocumentStatusBar* status_;
    std::unique_ptr<RecoveryFile> recovery_;
};

} // namespace kora::app

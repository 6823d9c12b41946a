// The frame: the document windows in an MDI area, the commands of the menus
// and tool bar, the recent files, and the application's side of the core
// (main-thread calls, messages and report windows, the open documents).
#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <QMessageBox>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/app_host.h"
#include "solve/workspace.h"

class QAction;
class QActionGroup;
class QMdiArea;
class QMenu;

namespace kora::app {

class HelpWindow;
class ReportWindows;
class SettingsSession;
class TSystemFile;

class TMainForm : public QMainWindow, public AppHost, public DocumentFactory, public DocumentList {
    Q_OBJECT

public:
    TMainForm(SettingsSession& session, const QString& recoveryFolder);
    ~TMainForm() override;

    // Opened on the first show.
    void SetStartFile(const std::optional<std::string>& file) { startFile_ = file; }

    // Opening by name, with the boxes for a file already open or unreadable.
    OpenResult OpenByName(const QString& fileName);
    TSystemFile* NewFile();
    // The ordinary close of one document, or of all; false when one stayed.
    bool CloseFile(TSystemFile& file);
    bool CloseAllFiles();
    // Offers each text left by a crashed session back as a new document.
    void OfferRecoveredTexts();
    QMessageBox::StandardButton AskAboutRecoveredText(const QString& name,
                                                      const QDateTime& written);
    // Recomputes the commands' state and the title, as after every event.
    void UpdateCommands();

    TSystemFile* ActiveFile() const;
    // Analysis > Fit to Data for a model window.
    void OpenFitDialog(TSystemFile& file);
    std::vector<TSystemFile*> Files() const;
    Workspace& workspace() { return *workspace_; }
    QMdiArea* area() const { return area_; }
    // The command of that text (without '&'), for menus and tests.
    QAction* Command(const QString& text) const;
    // The recent-files items of the File menu, as now.
    QList<QAction*> RecentItems();
    // The open windows' items of the Window menu, as now.
    QList<QAction*> WindowItems();

    // AppHost.
    void PostToMainThread(std::function<void()> work) override;
    void OpenMessagesWindow(const std::string& writer, const std::string& caption) override;
    void AppendMessages(const std::string& writer, const std::string& text) override;
    void FinishMessagesWindow(const std::string& writer) override;
    void ShowSteadyStateReport(const std::string& writer, const std::string& caption,
                               std::shared_ptr<const SsReport> report) override;
    DocumentList& documents() override { return *this; }
    void Beep() override;
    void ReportInternalError(const std::string& what) override;

    // DocumentFactory.
    std::unique_ptr<DocumentHost> CreateView(const std::string& fileName,
                                             const TextLines& editorLines,
                                             bool resultsDocument) override;
    void ShowDocument(DocumentHost& view, SystemDocument& document) override;
    void ActivateView(DocumentHost& view) override;

    // DocumentList, for scripts: a close waits until the script's call ended.
    bool IsOpen(const std::string& fileName) override { return workspace_->IsOpen(fileName); }
    bool Open(const std::string& fileName) override { return workspace_->Open(fileName); }
    void Activate(const std::string& fileName) override { workspace_->Activate(fileName); }
    void Close(const std::string& fileName) override;

public slots:
    // The single-instance hand-over: opens the file and raises the frame.
    void OpenHandedOver(const QString& fileName);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void WarnRunning(TSystemFile& file);
    QAction* AddCommand(QMenu* menu, const QString& text, const QKeySequence& keys,
                        std::function<void()> act);
    void BuildFileMenu();
    void BuildEditMenu();
    void BuildAnalysisMenu();
    void BuildResultsMenu();
    void BuildOptionsMenu();
    void BuildWindowMenu();
    void RebuildWindowMenu();
    void StepWindow(int step);
    void BuildHelpMenu();
    void BuildToolBar();
    void RebuildRecentItems();
    void FillMergeMenu(QMenu* menu);
    void MergeFromAll();
    void ShowEditorMenu(TSystemFile* file, const QPoint& position);
    void ShowResultsMenu(TSystemFile* file, const QPoint& position);
    void ShowOptions(int page);
    void ShowHelp();
    void OpenWithDialog();
    OpenResult OpenSbml(const QString& path);
    OpenResult OpenResultsByName(const QString& absolute);
    void ExportActiveAsSbml();
    // Other windows showing the results file `savedName` show its new content.
    void RefreshOtherResults(const TSystemFile* saver, const QString& savedName);
    void RequestClose(SystemDocument* document);
    void Start();
    void OnActive(const std::function<void(TSystemFile&)>& act);
    void SaveSession();

    SettingsSession& session_;
    QString recoveryFolder_;
    QMdiArea* area_;
    std::unique_ptr<ReportWindows> reports_;
    std::unique_ptr<Workspace> workspace_;
    std::optional<std::string> startFile_;
    bool firstShow_ = true;
    int newCount_ = 0;
    QMenu* fileMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QList<QAction*> recentItems_;
    QMenu* mergeMenu_ = nullptr;
    QActionGroup* views_ = nullptr;
    std::vector<QAction*> documentCommands_;
    QMenu* windowMenu_ = nullptr;
    QActionGroup* windowList_ = nullptr;
    HelpWindow* help_ = nullptr;

    // The frame's commands, made once with their menus.
    struct Actions {
        QAction *newFile, *open, *close, *closeAll, *save, *saveAs, *exportSbml, *exit;
        QAction *undo, *cut, *copy, *paste, *selectAll;
        QAction *steadyState, *run, *stop, *fitToData, *solutionInfo;
        QAction *copyResults, *exportPlot, *saveResultsAs, *saveUnderName, *clearResults;
        QAction *blackAndWhite, *background, *mergeAll;
        QAction *cascade, *tile, *arrangeIcons, *minimizeAll, *nextWindow, *previousWindow;
        QAction *contents, *about;
    } actions_{};
};

} // namespace kora::app

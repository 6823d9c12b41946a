// The frame's menus, tool bar and context menus, and the state of their
// commands.
#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QToolBar>

#include "about_box.h"
#include "file_dialog_folder.h"
#include "help_window.h"
#include "main_form.h"

#include "fit_dialog.h"
#include "model_editor.h"
#include "options_dialog.h"
#include "results_commands.h"
#include "settings_session.h"
#include "system_file.h"

namespace kora::app {

namespace {

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

} // namespace

QAction* TMainForm::AddCommand(QMenu* menu, const QString& text, const QKeySequence& keys,
                               std::function<void()> act) {
    auto* action = new QAction(text, this);
    action->setShortcut(keys);
    action->setObjectName(Plain(text));
    connect(action, &QAction::triggered, this, [act] { act(); });
    if (menu != nullptr) menu->addAction(action);
    addAction(action); // shortcuts work whichever window has the focus
    return action;
}

QAction* TMainForm::Command(const QString& text) const {
    return findChild<QAction*>(Plain(text), Qt::FindDirectChildrenOnly);
}

void TMainForm::BuildFileMenu() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    actions_.newFile =
        AddCommand(fileMenu_, QStringLiteral("&New"), QKeySequence::New, [this] { NewFile(); });
    actions_.open = AddCommand(fileMenu_, QStringLiteral("&Open..."), QKeySequence::Open,
                               [this] { OpenWithDialog(); });
    actions_.close = AddCommand(fileMenu_, QStringLiteral("&Close"),
                                QKeySequence(Qt::CTRL | Qt::Key_F4), [this] {
                                    if (TSystemFile* file = ActiveFile()) CloseFile(*file);
                                });
    actions_.closeAll =
        AddCommand(fileMenu_, QStringLiteral("Close A&ll"), QKeySequence(Qt::SHIFT | Qt::Key_F4),
                   [this] { CloseAllFiles(); });
    fileMenu_->addSeparator();
    actions_.save = AddCommand(fileMenu_, QStringLiteral("&Save"), QKeySequence::Save,
                               [this] { OnActive([](TSystemFile& f) { f.SaveDocument(); }); });
    actions_.saveAs =
        AddCommand(fileMenu_, QStringLiteral("Save &As..."), QKeySequence(Qt::CTRL | Qt::Key_E),
                   [this] { OnActive([](TSystemFile& f) { f.SaveDocumentAs(); }); });
    documentCommands_ = {actions_.close, actions_.closeAll, actions_.save, actions_.saveAs};
    fileMenu_->addSeparator();
    actions_.exportSbml = AddCommand(fileMenu_, QStringLiteral("Export S&BML..."), {},
                                     [this] { ExportActiveAsSbml(); });
    recentSeparator_ = fileMenu_->addSeparator();
    fileMenu_->addSeparator();
    actions_.exit = AddCommand(fileMenu_, QStringLiteral("E&xit"),
                               QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });
    connect(fileMenu_, &QMenu::aboutToShow, this, &TMainForm::RebuildRecentItems);
}

QList<QAction*> TMainForm::RecentItems() {
    RebuildRecentItems();
    return recentItems_;
}

void TMainForm::RebuildRecentItems() {
    for (QAction* item : recentItems_) {
        fileMenu_->removeAction(item);
        item->deleteLater();
    }
    recentItems_.clear();
    const std::vector<std::string> names = workspace_->recentFiles().MenuOrder();
    QAction* before = recentSeparator_;
    // Insert after the separator: before the action that follows it.
    const QList<QAction*> actions = fileMenu_->actions();
    const qsizetype at = actions.indexOf(recentSeparator_);
    before = at + 1 < actions.size() ? actions[at + 1] : nullptr;
    bool modelSeen = false;
    bool resultsSeen = false;
    int number = 0;
    for (const std::string& name : names) {
        const QString path = QString::fromStdString(name);
        const bool results =
            QFileInfo(path).suffix().compare(QStringLiteral("res"), Qt::CaseInsensitive) == 0;
        if (results && !resultsSeen && modelSeen) {
            auto* separator = new QAction(this);
            separator->setSeparator(true);
            fileMenu_->insertAction(before, separator);
            recentItems_.push_back(separator);
        }
        (results ? resultsSeen : modelSeen) = true;
        auto* item = new QAction(QStringLiteral("&%1 %2").arg(++number).arg(path), this);
        connect(item, &QAction::triggered, this, [this, path] { OpenByName(path); });
        fileMenu_->insertAction(before, item);
        recentItems_.push_back(item);
    }
}

void TMainForm::BuildEditMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Edit"));
    auto onEditor = [this](void (ModelEditor::*act)()) {
        return [this, act] {
            if (TSystemFile* file = ActiveFile()) (file->editor()->*act)();
        };
    };
    actions_.undo =
        AddCommand(menu, QStringLiteral("&Undo"), QKeySequence::Undo, onEditor(&ModelEditor::undo));
    menu->addSeparator();
    actions_.cut =
        AddCommand(menu, QStringLiteral("Cu&t"), QKeySequence::Cut, onEditor(&ModelEditor::cut));
    actions_.copy =
        AddCommand(menu, QStringLiteral("&Copy"), QKeySequence::Copy, onEditor(&ModelEditor::copy));
    actions_.paste = AddCommand(menu, QStringLiteral("&Paste"), QKeySequence::Paste,
                                onEditor(&ModelEditor::paste));
    menu->addSeparator();
    actions_.selectAll = AddCommand(menu, QStringLiteral("Select &All"), QKeySequence::SelectAll,
                                    onEditor(&ModelEditor::selectAll));
    for (QAction* action :
         {actions_.undo, actions_.cut, actions_.copy, actions_.paste, actions_.selectAll})
        documentCommands_.push_back(action);
    // The editor handles these keys itself while it has the focus.
    for (QAction* action : menu->actions())
        action->setShortcutContext(Qt::WidgetShortcut);
}

void TMainForm::OpenFitDialog(TSystemFile& file) {
    // Modeless, so that the results pane stays in reach; closed with its window.
    auto* dialog = new TFitDialog(file, session_.settings(), &file);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void TMainForm::BuildAnalysisMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Analysis"));
    auto onDocument = [this](void (SystemDocument::*act)()) {
        return [this, act] {
            if (TSystemFile* file = ActiveFile(); file != nullptr && file->document() != nullptr)
                (file->document()->*act)();
        };
    };
    actions_.steadyState =
        AddCommand(menu, QStringLiteral("S&teady State"), QKeySequence(Qt::Key_F8),
                   onDocument(&SystemDocument::AnalysisSSClick));
    actions_.run = AddCommand(menu, QStringLiteral("&Run"), QKeySequence(Qt::Key_F9),
                              onDocument(&SystemDocument::AnalysisRunClick));
    actions_.stop = AddCommand(menu, QStringLiteral("&Stop"), QKeySequence(Qt::SHIFT | Qt::Key_F9),
                               onDocument(&SystemDocument::StopMenuClick));
    actions_.fitToData = AddCommand(menu, QStringLiteral("Fit to &Data..."), {}, [this] {
        if (TSystemFile* file = ActiveFile(); file != nullptr && !file->isResultsDocument())
            OpenFitDialog(*file);
    });
    menu->addSeparator();
    actions_.solutionInfo = AddCommand(menu, QStringLiteral("&View Solution Info"), {}, [this] {
        OnActive([](TSystemFile& f) { f.ShowSolutionInfo(!f.solutionInfoShown()); });
    });
    actions_.solutionInfo->setCheckable(true);
    actions_.run->setIcon(QIcon::fromTheme(QStringLiteral("media-playback-start")));
    actions_.stop->setIcon(QIcon::fromTheme(QStringLiteral("media-playback-stop")));
}

void TMainForm::BuildResultsMenu() {
    // "&Results": Alt+S belongs to the "&Save" buttons of the report and
    // messages windows.
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Results"));
    actions_.copyResults = AddCommand(menu, QStringLiteral("Copy Results"), {}, [this] {
        OnActive([](TSystemFile& f) { f.CopyResults(); });
    });
    actions_.exportPlot = AddCommand(menu, QStringLiteral("E&xport Plot..."), {}, [this] {
        OnActive([](TSystemFile& f) { f.ExportPlotImage(); });
    });
    actions_.saveResultsAs = AddCommand(menu, QStringLiteral("Save Results As..."), {}, [this] {
        OnActive([](TSystemFile& f) { f.SaveResultsAs(); });
    });
    actions_.saveUnderName = AddCommand(menu, QStringLiteral("Sa&ve as"), {}, [this] {
        OnActive([](TSystemFile& f) { f.SaveResultsUnderName(); });
    });
    actions_.saveUnderName->setObjectName(QStringLiteral("SaveUnderName"));
    actions_.clearResults = AddCommand(menu, QStringLiteral("Clear Results"), {}, [this] {
        OnActive([](TSystemFile& f) { f.ClearDocumentResults(); });
    });
    menu->addSeparator();
    views_ = new QActionGroup(this);
    views_->setExclusive(true);
    const std::pair<const char*, int8_t> views[] = {{"Time Plot", kViewTimePlot},
                                                    {"Phase Plot 2D", kViewPhase2D},
                                                    {"Phase Plot 3D", kViewPhase3D},
                                                    {"Table", kViewTable}};
    for (const auto& [text, view] : views) {
        QAction* action = AddCommand(menu, QString::fromLatin1(text), {}, [this, v = view] {
            OnActive([v](TSystemFile& f) { f.SetView(v); });
        });
        action->setCheckable(true);
        action->setData(int(view));
        views_->addAction(action);
    }
    menu->addSeparator();
    actions_.blackAndWhite = AddCommand(menu, QStringLiteral("Black and &White"), {}, [this] {
        OnActive([](TSystemFile& f) { f.ToggleBlackAndWhite(); });
    });
    actions_.blackAndWhite->setCheckable(true);
    actions_.background = AddCommand(menu, QStringLiteral("Bac&kground Color..."), {}, [this] {
        OnActive([](TSystemFile& f) { f.ChooseBackgroundColour(); });
    });
    menu->addSeparator();
    mergeMenu_ = menu->addMenu(QStringLiteral("&Merge From"));
    connect(mergeMenu_, &QMenu::aboutToShow, this, [this] { FillMergeMenu(mergeMenu_); });
    actions_.mergeAll =
        AddCommand(menu, QStringLiteral("Merge From &All"), {}, [this] { MergeFromAll(); });
}

namespace {

MergeCandidate CandidateOf(TSystemFile* file, const TSystemFile* target) {
    auto* sub = qobject_cast<QMdiSubWindow*>(file->parentWidget());
    return {file == target, file->document() != nullptr && file->document()->HasResults(),
            sub != nullptr && sub->isMinimized(), !file->resultsPaneShown()};
}

} // namespace

void TMainForm::FillMergeMenu(QMenu* menu) {
    menu->clear();
    TSystemFile* target = ActiveFile();
    if (target == nullptr) return;
    for (TSystemFile* file : Files()) {
        if (!IsMergeSource(CandidateOf(file, target))) continue;
        menu->addAction(file->caption(), this, [this, file] {
            for (TSystemFile* open : Files()) // it may have closed meanwhile
                if (open == file && ActiveFile() != nullptr)
                    ActiveFile()->MergeFromDocument(*file->document());
        });
    }
}

void TMainForm::MergeFromAll() {
    TSystemFile* target = ActiveFile();
    if (target == nullptr) return;
    std::vector<const SystemDocument*> sources;
    for (TSystemFile* file : Files())
        if (IsMergeFromAllSource(CandidateOf(file, target))) sources.push_back(file->document());
    target->MergeFromAllDocuments(sources);
}

void TMainForm::BuildOptionsMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Options"));
    AddCommand(menu, QStringLiteral("&Solver..."), {}, [this] { ShowOptions(0); });
    AddCommand(menu, QStringLiteral("&Results..."), {}, [this] { ShowOptions(1); });
    AddCommand(menu, QStringLiteral("&Editor..."), {}, [this] { ShowOptions(2); });
}

void TMainForm::ShowOptions(int page) {
    Settings edited = session_.settings();
    TOptionsDialog dialog(edited, static_cast<TOptionsDialog::Page>(page), this);
    if (dialog.exec() != QDialog::Accepted) return;
    edited.recentFiles = session_.settings().recentFiles;
    session_.settings() = edited;
    workspace_->SettingsChanged(edited);
    for (TSystemFile* file : Files())
        file->ApplySettings(edited);
}

void TMainForm::BuildWindowMenu() {
    windowMenu_ = menuBar()->addMenu(QStringLiteral("&Window"));
    actions_.cascade =
        AddCommand(nullptr, QStringLiteral("&Cascade"), {}, [this] { area_->cascadeSubWindows(); });
    actions_.tile =
        AddCommand(nullptr, QStringLiteral("&Tile"), {}, [this] { area_->tileSubWindows(); });
    actions_.arrangeIcons = AddCommand(nullptr, QStringLiteral("&Arrange Icons"), {}, [this] {
        // Minimized windows line up along the bottom when tiled again.
        for (QMdiSubWindow* sub : area_->subWindowList())
            if (sub->isMinimized()) sub->showMinimized();
    });
    actions_.minimizeAll = AddCommand(nullptr, QStringLiteral("&Minimize All"), {}, [this] {
        for (QMdiSubWindow* sub : area_->subWindowList())
            sub->showMinimized();
    });
    // Ctrl+Tab first: the keys most users try; Ctrl+F6 as on other desktops.
    actions_.nextWindow =
        AddCommand(nullptr, QStringLiteral("Ne&xt Window"), {}, [this] { StepWindow(1); });
    actions_.nextWindow->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_F6)});
    actions_.previousWindow =
        AddCommand(nullptr, QStringLiteral("Pre&vious Window"), {}, [this] { StepWindow(-1); });
    actions_.previousWindow->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6)});
    windowList_ = new QActionGroup(this);
    windowList_->setExclusive(true);
    connect(windowMenu_, &QMenu::aboutToShow, this, &TMainForm::RebuildWindowMenu);
    RebuildWindowMenu();
}

// As in any MDI frame: the arranging commands, then every open window with
// the active one checked. Rebuilt each time it opens, so always current.
void TMainForm::RebuildWindowMenu() {
    windowMenu_->clear();
    for (QAction* item : windowList_->actions()) {
        windowList_->removeAction(item);
        item->deleteLater();
    }
    const QList<QMdiSubWindow*> windows = area_->subWindowList();
    for (QAction* action : {actions_.cascade, actions_.tile, actions_.arrangeIcons,
                            actions_.minimizeAll, actions_.nextWindow, actions_.previousWindow}) {
        windowMenu_->addAction(action);
        action->setEnabled(!windows.isEmpty());
    }
    windowMenu_->insertSeparator(actions_.nextWindow);
    if (windows.isEmpty()) return;
    windowMenu_->addSeparator();
    QMdiSubWindow* active = area_->currentSubWindow();
    int number = 0;
    for (QMdiSubWindow* sub : windows) {
        ++number;
        const QString title = sub->widget() != nullptr ? sub->widget()->windowTitle() : QString();
        const QString text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title)
                                         : QStringLiteral("%1 %2").arg(number).arg(title);
        QAction* item = windowMenu_->addAction(text);
        item->setCheckable(true);
        item->setChecked(sub == active);
        windowList_->addAction(item);
        QPointer<QMdiSubWindow> target(sub);
        connect(item, &QAction::triggered, this, [this, target] {
            if (target.isNull()) return;
            if (target->isMinimized()) target->showNormal();
            area_->setActiveSubWindow(target);
        });
    }
}

// Round the windows in the order of the Window menu, whichever was active
// before: the same keys always lead the same way.
void TMainForm::StepWindow(int step) {
    const QList<QMdiSubWindow*> windows = area_->subWindowList();
    if (windows.isEmpty()) return;
    const qsizetype count = windows.size();
    const qsizetype at = windows.indexOf(area_->currentSubWindow());
    const qsizetype next = at < 0 ? 0 : ((at + step) % count + count) % count;
    QMdiSubWindow* target = windows[next];
    if (target->isMinimized()) target->showNormal();
    area_->setActiveSubWindow(target);
}

QList<QAction*> TMainForm::WindowItems() {
    RebuildWindowMenu();
    return windowList_->actions();
}

void TMainForm::BuildHelpMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Help"));
    actions_.contents = AddCommand(menu, QStringLiteral("&Contents"), QKeySequence::HelpContents,
                                   [this] { ShowHelp(); });
    actions_.about = AddCommand(menu, QStringLiteral("&About..."), {}, [this] {
        TAboutBox box(this);
        box.exec();
    });
}

void TMainForm::ShowHelp() {
    if (help_ == nullptr) help_ = new HelpWindow(this);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void TMainForm::BuildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Commands"));
    bar->setObjectName(QStringLiteral("Commands"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addActions({actions_.newFile, actions_.open, actions_.save});
    bar->addSeparator();
    bar->addActions({actions_.run, actions_.steadyState, actions_.stop});
}

void TMainForm::ShowEditorMenu(TSystemFile* file, const QPoint& position) {
    if (file != ActiveFile()) return;
    QMenu menu;
    menu.addAction(actions_.undo);
    menu.addSeparator();
    menu.addActions({actions_.cut, actions_.copy, actions_.paste, actions_.selectAll});
    menu.addSeparator();
    menu.addActions({actions_.run, actions_.steadyState});
    menu.exec(position);
}

void TMainForm::ShowResultsMenu(TSystemFile* file, const QPoint& position) {
    if (file != ActiveFile()) return;
    QMenu menu;
    menu.addActions({actions_.copyResults, actions_.exportPlot, actions_.saveResultsAs,
                     actions_.saveUnderName, actions_.clearResults});
    menu.addSeparator();
    menu.addActions(views_->actions());
    menu.addSeparator();
    menu.addActions({actions_.blackAndWhite, actions_.background});
    menu.addSeparator();
    QMenu* merge = menu.addMenu(QStringLiteral("&Merge From"));
    FillMergeMenu(merge);
    menu.addAction(actions_.mergeAll);
    menu.exec(position);
}

void TMainForm::UpdateCommands() {
    if (!workspace_) return;
    TSystemFile* file = ActiveFile();
    SystemDocument* document = file != nullptr ? file->document() : nullptr;
    setWindowTitle(file != nullptr ? QStringLiteral("KORA - ") + file->caption()
                                   : QStringLiteral("KORA"));
    FileDialogFolder::SetDocumentFolder(
        document != nullptr && !document->fileName().empty()
            ? QFileInfo(QString::fromStdString(document->fileName())).absolutePath()
            : QString());
    for (QAction* action : documentCommands_)
        action->setEnabled(file != nullptr);
    const bool running = document != nullptr && document->IsRunning();
    const bool idle = document != nullptr && !running;
    // A results document has no model to run.
    const bool runnable = idle && !file->isResultsDocument();
    const bool hasResults = document != nullptr && document->HasResults();
    actions_.run->setEnabled(runnable);
    actions_.steadyState->setEnabled(runnable);
    actions_.stop->setEnabled(running);
    actions_.solutionInfo->setEnabled(file != nullptr);
    actions_.solutionInfo->setChecked(file != nullptr && file->solutionInfoShown());
    if (file != nullptr) {
        const bool editable = !running;
        actions_.undo->setEnabled(editable && file->editor()->document()->isUndoAvailable());
        const bool selection = file->editor()->textCursor().hasSelection();
        actions_.cut->setEnabled(editable && selection);
        actions_.copy->setEnabled(selection);
        actions_.paste->setEnabled(editable);
        actions_.save->setEnabled(editable);
    }
    const bool resultsUsable = hasResults && !running;
    for (QAction* action :
         {actions_.copyResults, actions_.saveResultsAs, actions_.saveUnderName,
          actions_.clearResults, actions_.blackAndWhite, actions_.background, actions_.mergeAll})
        action->setEnabled(resultsUsable);
    for (QAction* view : views_->actions()) {
        view->setEnabled(resultsUsable);
        view->setChecked(document != nullptr && document->results().view == view->data().toInt());
    }
    actions_.blackAndWhite->setChecked(document != nullptr && document->results().blackAndWhite);
    actions_.saveUnderName->setText(
        SaveUnderNameText(document != nullptr ? document->results().fileName : ""));
    actions_.exportPlot->setEnabled(resultsUsable && document->results().view != kViewTable);
    actions_.exportSbml->setEnabled(file != nullptr && !file->isResultsDocument());
    mergeMenu_->setEnabled(resultsUsable);
    const bool anyWindow = !area_->subWindowList().isEmpty();
    for (QAction* action : {actions_.cascade, actions_.tile, actions_.arrangeIcons,
                            actions_.minimizeAll, actions_.nextWindow, actions_.previousWindow})
        action->setEnabled(anyWindow);
}

} // namespace kora::app

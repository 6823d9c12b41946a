// The frame's menus, tool bar and context menus, and the state of their
// commands.
#include <QAction>
#include <QActionGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

#include "about_box.h"
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
    AddCommand(fileMenu_, QStringLiteral("&New"), QKeySequence::New, [this] { NewFile(); });
    AddCommand(fileMenu_, QStringLiteral("&Open..."), QKeySequence::Open,
               [this] { OpenWithDialog(); });
    documentCommands_.push_back(AddCommand(fileMenu_, QStringLiteral("&Close"),
                                           QKeySequence(Qt::CTRL | Qt::Key_F4), [this] {
                                               if (TSystemFile* file = ActiveFile())
                                                   CloseFile(*file);
                                           }));
    documentCommands_.push_back(AddCommand(fileMenu_, QStringLiteral("Close A&ll"),
                                           QKeySequence(Qt::SHIFT | Qt::Key_F4),
                                           [this] { CloseAllFiles(); }));
    fileMenu_->addSeparator();
    documentCommands_.push_back(
        AddCommand(fileMenu_, QStringLiteral("&Save"), QKeySequence::Save,
                   [this] { OnActive([](TSystemFile& f) { f.SaveDocument(); }); }));
    documentCommands_.push_back(
        AddCommand(fileMenu_, QStringLiteral("Save &As..."), QKeySequence(Qt::CTRL | Qt::Key_E),
                   [this] { OnActive([](TSystemFile& f) { f.SaveDocumentAs(); }); }));
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, QStringLiteral("Export S&BML..."), {}, [this] { ExportActiveAsSbml(); });
    recentSeparator_ = fileMenu_->addSeparator();
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
               [this] { close(); });
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
    documentCommands_.push_back(AddCommand(menu, QStringLiteral("&Undo"), QKeySequence::Undo,
                                           onEditor(&ModelEditor::undo)));
    menu->addSeparator();
    documentCommands_.push_back(
        AddCommand(menu, QStringLiteral("Cu&t"), QKeySequence::Cut, onEditor(&ModelEditor::cut)));
    documentCommands_.push_back(AddCommand(menu, QStringLiteral("&Copy"), QKeySequence::Copy,
                                           onEditor(&ModelEditor::copy)));
    documentCommands_.push_back(AddCommand(menu, QStringLiteral("&Paste"), QKeySequence::Paste,
                                           onEditor(&ModelEditor::paste)));
    menu->addSeparator();
    documentCommands_.push_back(AddCommand(menu, QStringLiteral("Select &All"),
                                           QKeySequence::SelectAll,
                                           onEditor(&ModelEditor::selectAll)));
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
    AddCommand(menu, QStringLiteral("S&teady State"), QKeySequence(Qt::Key_F8),
               onDocument(&SystemDocument::AnalysisSSClick));
    AddCommand(menu, QStringLiteral("&Run"), QKeySequence(Qt::Key_F9),
               onDocument(&SystemDocument::AnalysisRunClick));
    AddCommand(menu, QStringLiteral("&Stop"), QKeySequence(Qt::SHIFT | Qt::Key_F9),
               onDocument(&SystemDocument::StopMenuClick));
    AddCommand(menu, QStringLiteral("Fit to &Data..."), {}, [this] {
        if (TSystemFile* file = ActiveFile(); file != nullptr && !file->isResultsDocument())
            OpenFitDialog(*file);
    });
    menu->addSeparator();
    QAction* info = AddCommand(menu, QStringLiteral("&View Solution Info"), {}, [this] {
        OnActive([](TSystemFile& f) { f.ShowSolutionInfo(!f.solutionInfoShown()); });
    });
    info->setCheckable(true);
    Command(QStringLiteral("Run"))
        ->setIcon(QIcon::fromTheme(QStringLiteral("media-playback-start")));
    Command(QStringLiteral("Stop"))
        ->setIcon(QIcon::fromTheme(QStringLiteral("media-playback-stop")));
}

void TMainForm::BuildResultsMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("Re&sults"));
    AddCommand(menu, QStringLiteral("Copy Results"), {},
               [this] { OnActive([](TSystemFile& f) { f.CopyResults(); }); });
    AddCommand(menu, QStringLiteral("E&xport Plot..."), {},
               [this] { OnActive([](TSystemFile& f) { f.ExportPlotImage(); }); });
    AddCommand(menu, QStringLiteral("Save Results As..."), {},
               [this] { OnActive([](TSystemFile& f) { f.SaveResultsAs(); }); });
    QAction* saveUnder = AddCommand(menu, QStringLiteral("Sa&ve as"), {}, [this] {
        OnActive([](TSystemFile& f) { f.SaveResultsUnderName(); });
    });
    saveUnder->setObjectName(QStringLiteral("SaveUnderName"));
    AddCommand(menu, QStringLiteral("Clear Results"), {},
               [this] { OnActive([](TSystemFile& f) { f.ClearDocumentResults(); }); });
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
    QAction* bw = AddCommand(menu, QStringLiteral("Black and &White"), {},
                             [this] { OnActive([](TSystemFile& f) { f.ToggleBlackAndWhite(); }); });
    bw->setCheckable(true);
    AddCommand(menu, QStringLiteral("Bac&kground Color..."), {},
               [this] { OnActive([](TSystemFile& f) { f.ChooseBackgroundColour(); }); });
    menu->addSeparator();
    mergeMenu_ = menu->addMenu(QStringLiteral("&Merge From"));
    connect(mergeMenu_, &QMenu::aboutToShow, this, [this] { FillMergeMenu(mergeMenu_); });
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
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Window"));
    documentCommands_.push_back(
        AddCommand(menu, QStringLiteral("&Cascade"), {}, [this] { area_->cascadeSubWindows(); }));
    documentCommands_.push_back(
        AddCommand(menu, QStringLiteral("&Tile"), {}, [this] { area_->tileSubWindows(); }));
    documentCommands_.push_back(AddCommand(menu, QStringLiteral("&Arrange Icons"), {}, [this] {
        // Minimized windows line up along the bottom when tiled again.
        for (QMdiSubWindow* sub : area_->subWindowList())
            if (sub->isMinimized()) sub->showMinimized();
    }));
    documentCommands_.push_back(AddCommand(menu, QStringLiteral("&Minimize All"), {}, [this] {
        for (QMdiSubWindow* sub : area_->subWindowList())
            sub->showMinimized();
    }));
}

void TMainForm::BuildHelpMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Help"));
    AddCommand(menu, QStringLiteral("&Contents"), QKeySequence::HelpContents,
               [this] { ShowHelp(); });
    AddCommand(menu, QStringLiteral("&About..."), {}, [this] {
        TAboutBox box(this);
        box.exec();
    });
}

void TMainForm::ShowHelp() {
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("KORA - User guide"));
    auto* browser = new QTextBrowser(dialog);
    browser->setOpenExternalLinks(true);
    QFile guide(QStringLiteral(":/help/user-guide.md"));
    if (guide.open(QIODevice::ReadOnly)) browser->setMarkdown(QString::fromUtf8(guide.readAll()));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(browser);
    layout->addWidget(buttons);
    dialog->resize(760, 640);
    dialog->show();
}

void TMainForm::BuildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Commands"));
    bar->setObjectName(QStringLiteral("Commands"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    for (const char* text : {"New", "Open...", "Save"})
        bar->addAction(Command(QString::fromLatin1(text)));
    bar->addSeparator();
    for (const char* text : {"Run", "Steady State", "Stop"})
        bar->addAction(Command(QString::fromLatin1(text)));
}

void TMainForm::ShowEditorMenu(TSystemFile* file, const QPoint& position) {
    if (file != ActiveFile()) return;
    QMenu menu;
    for (const char* text :
         {"Undo", "", "Cut", "Copy", "Paste", "Select All", "", "Run", "Steady State"}) {
        if (*text == '\0')
            menu.addSeparator();
        else
            menu.addAction(Command(QString::fromLatin1(text)));
    }
    menu.exec(position);
}

void TMainForm::ShowResultsMenu(TSystemFile* file, const QPoint& position) {
    if (file != ActiveFile()) return;
    QMenu menu;
    for (const char* text :
         {"Copy Results", "Export Plot...", "Save Results As...", "SaveUnderName", "Clear Results",
          "", "Time Plot", "Phase Plot 2D", "Phase Plot 3D", "Table", "", "Black and White",
          "Background Color...", ""}) {
        if (*text == '\0')
            menu.addSeparator();
        else
            menu.addAction(Command(QString::fromLatin1(text)));
    }
    QMenu* merge = menu.addMenu(QStringLiteral("&Merge From"));
    FillMergeMenu(merge);
    menu.addAction(Command(QStringLiteral("Merge From All")));
    menu.exec(position);
}

void TMainForm::UpdateCommands() {
    if (!workspace_) return;
    TSystemFile* file = ActiveFile();
    SystemDocument* document = file != nullptr ? file->document() : nullptr;
    setWindowTitle(file != nullptr ? QStringLiteral("KORA - ") + file->caption()
                                   : QStringLiteral("KORA"));
    for (QAction* action : documentCommands_)
        action->setEnabled(file != nullptr);
    const bool running = document != nullptr && document->IsRunning();
    const bool idle = document != nullptr && !running;
    // A results document has no model to run.
    const bool runnable = idle && !file->isResultsDocument();
    const bool hasResults = document != nullptr && document->HasResults();
    Command(QStringLiteral("Run"))->setEnabled(runnable);
    Command(QStringLiteral("Steady State"))->setEnabled(runnable);
    Command(QStringLiteral("Stop"))->setEnabled(running);
    QAction* info = Command(QStringLiteral("View Solution Info"));
    info->setEnabled(file != nullptr);
    info->setChecked(file != nullptr && file->solutionInfoShown());
    if (file != nullptr) {
        const bool editable = !running;
        Command(QStringLiteral("Undo"))
            ->setEnabled(editable && file->editor()->document()->isUndoAvailable());
        const bool selection = file->editor()->textCursor().hasSelection();
        Command(QStringLiteral("Cut"))->setEnabled(editable && selection);
        Command(QStringLiteral("Copy"))->setEnabled(selection);
        Command(QStringLiteral("Paste"))->setEnabled(editable);
        Command(QStringLiteral("Save"))->setEnabled(editable);
    }
    for (const char* text : {"Copy Results", "Save Results As...", "SaveUnderName", "Clear Results",
                             "Black and White", "Background Color..."})
        Command(QString::fromLatin1(text))->setEnabled(hasResults && !running);
    for (QAction* view : views_->actions()) {
        view->setEnabled(hasResults && !running);
        view->setChecked(document != nullptr && document->results().view == view->data().toInt());
    }
    Command(QStringLiteral("Black and White"))
        ->setChecked(document != nullptr && document->results().blackAndWhite);
    Command(QStringLiteral("SaveUnderName"))
        ->setText(SaveUnderNameText(document != nullptr ? document->results().fileName : ""));
    Command(QStringLiteral("Export Plot..."))
        ->setEnabled(hasResults && !running && document->results().view != kViewTable);
    Command(QStringLiteral("Export SBML..."))
        ->setEnabled(file != nullptr && !file->isResultsDocument());
    mergeMenu_->setEnabled(hasResults && !running);
    Command(QStringLiteral("Merge From All"))->setEnabled(hasResults && !running);
}

} // namespace kora::app

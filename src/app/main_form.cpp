#include "main_form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QShowEvent>
#include <QTimer>

#include "about_box.h"
#include "common/file_names.h"
#include "file_dialog_folder.h"
#include "model_editor.h"
#include "plot_pane.h"
#include "recovery_file.h"
#include "report_windows.h"
#include "results_commands.h"
#include "results_table_view.h"
#include "sbml_commands.h"
#include "settings_session.h"
#include "steady_state_window.h"
#include "system_file.h"
#include "window_placement.h"

namespace kora::app {

namespace {

constexpr int kIdleMs = 200;
const char* const kTitle = "KORA";

void Inform(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QString::fromLatin1(kTitle), text);
}

// A dialog of this window is open (Export Plot, colours, an axis value...):
// its owner must outlive it. Dialogs are windows of their own, so the
// parents are followed by hand.
bool HasOpenDialog(const QWidget& window) {
    for (QWidget* w = QApplication::activeModalWidget(); w != nullptr; w = w->parentWidget())
        if (w == &window) return true;
    return false;
}

} // namespace

TMainForm::TMainForm(SettingsSession& session, const QString& recoveryFolder)
    : session_(session), recoveryFolder_(recoveryFolder), area_(new QMdiArea(this)) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setCentralWidget(area_);
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setAcceptDrops(true);
    resize(1024, 720);
    reports_ = std::make_unique<ReportWindows>(*area_);
    FileDialogFolder::BindSetting(&session_.settings().openDir);
    workspace_ = std::make_unique<Workspace>(*this, *this, session_.settings());
    // The store keeps the newest first; adding oldest first rebuilds that order.
    const std::vector<std::string>& stored = session_.settings().recentFiles;
    for (auto name = stored.rbegin(); name != stored.rend(); ++name)
        workspace_->recentFiles().Add(*name);

    BuildFileMenu();
    BuildEditMenu();
    BuildAnalysisMenu();
    BuildResultsMenu();
    BuildOptionsMenu();
    BuildWindowMenu();
    BuildHelpMenu();
    BuildToolBar();

    connect(area_, &QMdiArea::subWindowActivated, this, [this] { UpdateCommands(); });
    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, &TMainForm::UpdateCommands);
    idle->start(kIdleMs);
    UpdateCommands();
}

TMainForm::~TMainForm() {
    // The documents go before the windows they report to, and nothing asks
    // for the commands' state while the windows go.
    area_->disconnect(this);
    workspace_.reset();
    FileDialogFolder::BindSetting(nullptr);
}

TSystemFile* TMainForm::ActiveFile() const {
    QMdiSubWindow* sub = area_->currentSubWindow();
    return sub != nullptr ? qobject_cast<TSystemFile*>(sub->widget()) : nullptr;
}

std::vector<TSystemFile*> TMainForm::Files() const {
    std::vector<TSystemFile*> files;
    for (SystemDocument* document : workspace_->Documents())
        files.push_back(static_cast<TSystemFile*>(workspace_->ViewOf(*document)));
    return files;
}

void TMainForm::OnActive(const std::function<void(TSystemFile&)>& act) {
    if (TSystemFile* file = ActiveFile()) act(*file);
}

// ---- opening and closing

OpenResult TMainForm::OpenByName(const QString& fileName) {
    if (IsSbmlFileName(fileName)) return OpenSbml(QFileInfo(fileName).absoluteFilePath());
    std::string reason;
    // Absolute, so that the recent files still find it from another folder.
    const QString absolute = fileName.isEmpty() ? fileName : QFileInfo(fileName).absoluteFilePath();
    if (IsResultsFileName(absolute.toStdString())) return OpenResultsByName(absolute);
    const OpenResult result = workspace_->OpenFile(absolute.toStdString(), &reason);
    if (result == OpenResult::AlreadyOpen)
        Inform(this, QStringLiteral("File already open"));
    else if (result == OpenResult::Unreadable)
        QMessageBox::warning(
            this, QString::fromLatin1(kTitle),
            reason.empty()
                ? QStringLiteral("Unable to open file")
                : QStringLiteral("Unable to open file\n%1").arg(QString::fromStdString(reason)));
    UpdateCommands();
    return result;
}

// Read on a worker thread: a large file leaves the window responsive, its
// document shown busy until the rows are in.
OpenResult TMainForm::OpenResultsByName(const QString& absolute) {
    const OpenResult result = workspace_->OpenResultsInBackground(
        absolute.toStdString(), '.', [this](const std::string& reason) {
            QMessageBox::warning(this, QString::fromLatin1(kTitle),
                                 QStringLiteral("Unable to open file\n%1")
                                     .arg(QString::fromStdString(reason)));
        });
    if (result == OpenResult::AlreadyOpen) Inform(this, QStringLiteral("File already open"));
    UpdateCommands();
    return result;
}

void TMainForm::OpenHandedOver(const QString& fileName) {
    OpenByName(fileName);
    showNormal();
    raise();
    activateWindow();
}

TSystemFile* TMainForm::NewFile() {
    SystemDocument* document = workspace_->NewDocument();
    UpdateCommands();
    return document != nullptr ? static_cast<TSystemFile*>(workspace_->ViewOf(*document)) : nullptr;
}

bool TMainForm::CloseFile(TSystemFile& file) {
    // A script's CLOSE or a close button's timer can fire inside the dialog.
    if (file.document() == nullptr || HasOpenDialog(file)) return false;
    const CloseResult result = workspace_->CloseDocument(*file.document());
    if (result == CloseResult::Running) WarnRunning(file);
    UpdateCommands();
    return result == CloseResult::Closed || result == CloseResult::NotOpen;
}

void TMainForm::WarnRunning(TSystemFile& file) {
    QMessageBox::warning(
        this, QString::fromLatin1(kTitle),
        QStringLiteral("%1 is running. Stop it before closing it.").arg(file.caption()));
}

bool TMainForm::CloseAllFiles() {
    // The workspace walks its own list: a close's dialogs may close others.
    SystemDocument* kept = nullptr;
    const CloseResult result = workspace_->CloseAll(&kept);
    if (result == CloseResult::Running && kept != nullptr)
        if (auto* file = static_cast<TSystemFile*>(workspace_->ViewOf(*kept))) WarnRunning(*file);
    UpdateCommands();
    return result == CloseResult::Closed;
}

// The window's close button: decided after the window's own event ended,
// since a successful close destroys the window.
void TMainForm::RequestClose(SystemDocument* document) {
    QTimer::singleShot(0, this, [this, document] {
        for (TSystemFile* file : Files())
            if (file->document() == document) {
                CloseFile(*file); // its dialogs may close other files: stop here
                return;
            }
    });
}

void TMainForm::Close(const std::string& fileName) {
    // A script's CLOSE arrives inside a document's own call; the close, and
    // with it the window, waits until that call returned.
    QTimer::singleShot(0, this, [this, fileName] {
        if (SystemDocument* document = workspace_->Find(fileName))
            if (auto* file = static_cast<TSystemFile*>(workspace_->ViewOf(*document)))
                CloseFile(*file);
    });
}

void TMainForm::OpenWithDialog() {
    const QStringList names = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Open"), FileDialogFolder::StartPath(),
        QStringLiteral("System description files (KRM) (*.krm);;Results files (RES) "
                       "(*.res);;%1;;Any files (*.*)")
            .arg(QString::fromLatin1(kSbmlFilter)));
    if (!names.isEmpty()) FileDialogFolder::Remember(names.front());
    for (const QString& name : names)
        OpenByName(name);
}

// A converted model is a new, unsaved text: the SBML file itself is never
// written, and Save goes beside it only where no model file is yet.
OpenResult TMainForm::OpenSbml(const QString& path) {
    const std::optional<QString> text = ConvertSbmlFile(this, path);
    if (!text) return OpenResult::Unreadable;
    TSystemFile* file = NewFile();
    if (file == nullptr) return OpenResult::Unreadable;
    file->RestoreText(*text);
    const QString name = ModelNameForSbml(path);
    if (!name.isEmpty() && workspace_->Find(name.toStdString()) == nullptr)
        file->NameDocument(name);
    UpdateCommands();
    return OpenResult::Opened;
}

void TMainForm::ExportActiveAsSbml() {
    TSystemFile* file = ActiveFile();
    if (file == nullptr || file->isResultsDocument()) return;
    const QString start =
        file->document() != nullptr && !file->document()->fileName().empty()
            ? QFileInfo(QString::fromStdString(file->document()->fileName())).completeBaseName() +
                  QStringLiteral(".xml")
            : QString();
    ExportSbmlFile(this, file->EditorLines(), start);
}

// The buttons say what they do; "Decide later" keeps the text for the next
// start.
QMessageBox::StandardButton TMainForm::AskAboutRecoveredText(const QString& name,
                                                             const QDateTime& written) {
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kTitle),
                    QStringLiteral("The text of %1 as it was on %2 was not saved.\n"
                                   "Restore it into a new document?")
                        .arg(name, written.toString(Qt::TextDate)),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Restore"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Discard"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Decide &later"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void TMainForm::OfferRecoveredTexts() {
    const std::vector<RecoveredText> texts = RecoveryFile::List(recoveryFolder_);
    // The question comes first and in front: the start-up box goes at once.
    if (!texts.empty()) TAboutBox::CloseSplash();
    for (const RecoveredText& recovered : texts) {
        const QString name = recovered.documentName.isEmpty()
                                 ? QStringLiteral("a document")
                                 : QFileInfo(recovered.documentName).fileName();
        const auto answer = AskAboutRecoveredText(name, recovered.written);
        if (answer == QMessageBox::Cancel) continue; // kept for the next start
        if (answer == QMessageBox::Yes) {
            TSystemFile* file = NewFile();
            if (file == nullptr) continue;
            file->RestoreText(recovered.text);
        }
        RecoveryFile::Remove(recovered.path);
    }
}

void TMainForm::Start() {
    OfferRecoveredTexts();
    if (startFile_) OpenByName(QString::fromStdString(*startFile_));
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!firstShow_) return;
    firstShow_ = false;
    QTimer::singleShot(0, this, &TMainForm::Start);
}

void TMainForm::SaveSession() {
    session_.settings().recentFiles = workspace_->recentFiles().entries();
    if (!session_.Save())
        QMessageBox::warning(this, QString::fromLatin1(kTitle),
                             QStringLiteral("The settings could not be saved."));
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!CloseAllFiles()) {
        event->ignore();
        return;
    }
    SaveSession();
    event->accept();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    // After the drop: the boxes of an open must not run inside the drag.
    QTimer::singleShot(0, this, [this, urls] {
        for (const QUrl& url : urls)
            if (url.isLocalFile()) OpenByName(url.toLocalFile());
    });
}

// ---- AppHost

void TMainForm::PostToMainThread(std::function<void()> work) {
    QMetaObject::invokeMethod(qApp, std::move(work), Qt::QueuedConnection);
}

void TMainForm::OpenMessagesWindow(const std::string& writer, const std::string& caption) {
    reports_->OpenMessages(writer, caption);
}

void TMainForm::AppendMessages(const std::string& writer, const std::string& text) {
    reports_->AppendMessages(writer, text);
}

void TMainForm::FinishMessagesWindow(const std::string& writer) {
    reports_->FinishMessages(writer);
}

void TMainForm::ShowSteadyStateReport(const std::string& writer, const std::string& caption,
                                      std::shared_ptr<const SsReport> report) {
    if (!report) return;
    TSsDlg* window = reports_->ShowSteadyState(caption, *report, writer);
    connect(window, &TSsDlg::thresholdChosen, this, [this](int index) {
        session_.settings().sensThreshold = index;
        workspace_->SettingsChanged(session_.settings());
    });
}

void TMainForm::RefreshOtherResults(const TSystemFile* saver, const QString& savedName) {
    if (saver->document() == nullptr) return;
    workspace_->RefreshResultsFrom(*saver->document(), savedName.toStdString(),
                                   LocaleDecimalSeparator());
}

void TMainForm::Beep() {
    QApplication::beep();
}

void TMainForm::ReportInternalError(const std::string& what) {
    QMessageBox::critical(this, QString::fromLatin1(kTitle),
                          QStringLiteral("Internal error: %1").arg(QString::fromStdString(what)));
}

// ---- DocumentFactory

std::unique_ptr<DocumentHost> TMainForm::CreateView(const std::string& fileName,
                                                    const TextLines& editorLines,
                                                    bool resultsDocument) {
    const QString caption = fileName.empty()
                                ? QStringLiteral("NONAME%1").arg(++newCount_)
                                : QFileInfo(QString::fromStdString(fileName)).fileName();
    auto file = std::make_unique<TSystemFile>(*workspace_, caption, editorLines, resultsDocument,
                                              recoveryFolder_);
    connect(file.get(), &TSystemFile::closeRequested, this, &TMainForm::RequestClose);
    connect(file.get(), &TSystemFile::fileNameChanged, this, &TMainForm::UpdateCommands);
    connect(file.get(), &TSystemFile::runningChanged, this, &TMainForm::UpdateCommands);
    TSystemFile* raw = file.get();
    connect(raw, &TSystemFile::resultsSaved, this,
            [this, raw](const QString& savedName) { RefreshOtherResults(raw, savedName); });
    // The line dialog's "same in all" choice is a setting, saved with the rest.
    raw->plotPane()->SetSameInAllSetting(&session_.settings().graphDlgTCSB);
    raw->editor()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(raw->editor(), &QWidget::customContextMenuRequested, this,
            [this, raw](const QPoint& at) { ShowEditorMenu(raw, raw->editor()->mapToGlobal(at)); });
    for (QWidget* pane :
         {static_cast<QWidget*>(raw->plotPane()), static_cast<QWidget*>(raw->table())}) {
        pane->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(
            pane, &QWidget::customContextMenuRequested, this,
            [this, raw, pane](const QPoint& at) { ShowResultsMenu(raw, pane->mapToGlobal(at)); });
    }
    return file;
}

void TMainForm::ShowDocument(DocumentHost& view, SystemDocument& document) {
    auto& file = static_cast<TSystemFile&>(view);
    file.Bind(document);
    // A new window joins a maximized one maximized, or it would open behind.
    const QMdiSubWindow* before = area_->currentSubWindow();
    const bool maximized = before != nullptr && before->isMaximized();
    QMdiSubWindow* sub = area_->addSubWindow(&file);
    PlaceInsideArea(*area_, *sub, AreaRoom(*area_) * 4 / 5);
    if (maximized)
        sub->showMaximized();
    else
        sub->show();
    area_->setActiveSubWindow(sub);
    sub->raise();
    file.editor()->setFocus();
}

void TMainForm::ActivateView(DocumentHost& view) {
    auto& file = static_cast<TSystemFile&>(view);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(file.parentWidget())) {
        if (sub->isMinimized()) sub->showNormal();
        area_->setActiveSubWindow(sub);
    }
}

} // namespace kora::app

#include "system_file.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "document_splitter.h"
#include "document_status_bar.h"
#include "error_dialog.h"
#include "file_dialog_folder.h"
#include "model/model_names.h"
#include "model/model_place.h"
#include "model/run_size.h"
#include "model_editor.h"
#include "model_warnings_list.h"
#include "plot_pane.h"
#include "qt_conversions.h"
#include "recovery_file.h"
#include "results/atomic_file.h"
#include "results/results_file.h"
#include "results_commands.h"
#include "results_table_model.h"
#include "results_table_view.h"
#include "solve/system_document.h"
#include "solve/workspace.h"
#include "solver_info_panel.h"

namespace kora::app {

namespace {

constexpr int kPlotPage = 0;
constexpr int kTablePage = 1;
constexpr const char* kModelErrorHeading = "CRITICAL ERROR:";

QString Title(const std::string& title) {
    return title.empty() ? QStringLiteral("KORA") : QString::fromStdString(title);
}

// The file that saved results must never replace; a results document has
// none, its own file being its results.
std::string ModelFileName(const SystemDocument& document, bool resultsDocument) {
    return resultsDocument ? std::string() : document.fileName();
}

} // namespace

TSystemFile::TSystemFile(Workspace& workspace, const QString& caption, const TextLines& lines,
                         bool resultsDocument, const QString& recoveryFolder)
    : workspace_(workspace), caption_(caption), resultsDocument_(resultsDocument),
      editor_(new ModelEditor), plot_(new PlotPane), table_(new ResultsTableView),
      splitter_(new DocumentSplitter(editor_, ResultsFrame())), info_(new SolverInfoPanel),
      warnings_(new ModelWarningsList), status_(new DocumentStatusBar) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(splitter_, 1);
    layout->addWidget(warnings_);
    layout->addWidget(info_);
    layout->addWidget(status_);
    info_->hide();
    connect(info_, &SolverInfoPanel::closeRequested, this, [this] { ShowSolutionInfo(false); });
    connect(warnings_, &ModelWarningsList::lineChosen, this, &TSystemFile::SelectFileLine);

    QString text;
    for (const std::string& line : lines)
        text += QString::fromStdString(line) + QLatin1Char('\n');
    if (!text.isEmpty()) text.chop(1);
    editor_->SetModelText(text);

    recovery_ =
        std::make_unique<RecoveryFile>(recoveryFolder, [this] { return editor_->toPlainText(); });
    recovery_->SetDocumentName(caption);
    connect(editor_->document(), &QTextDocument::contentsChanged, this, [this] {
        if (editor_->document()->isModified()) recovery_->NoteChanged();
    });
    connect(plot_, &PlotPane::hoverText, this,
            [this](const QString& hover) { status_->SetPanelText(2, hover); });
    connect(plot_, &PlotPane::resultsEdited, this, [this] { plot_->Redraw(); });

    splitter_->SetPaneLayout(resultsDocument ? DocumentSplitter::kResultsOnly
                                             : DocumentSplitter::kEditorOnly);
    setWindowTitle(caption);
}

TSystemFile::~TSystemFile() {
    // The frame around this window goes with it.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) frame->deleteLater();
}

QWidget* TSystemFile::ResultsFrame() {
    resultsStack_ = new QStackedWidget;
    resultsStack_->addWidget(plot_);
    resultsStack_->addWidget(table_);
    return resultsStack_;
}

void TSystemFile::Bind(SystemDocument& document) {
    document_ = &document;
    plot_->SetResults(&document.results(), workspace_.settings().graphShowHotSpots);
    table_->resultsModel()->SetResults(&document.results(), workspace_.settings().tablePrec,
                                       LocaleDecimalSeparator());
    ApplySettings(workspace_.settings());
    if (resultsDocument_) ResultsChanged();
}

QString TSystemFile::caption() const {
    if (document_ == nullptr || document_->fileName().empty()) return caption_;
    return QFileInfo(QString::fromStdString(document_->fileName())).fileName();
}

bool TSystemFile::resultsPaneShown() const {
    return splitter_->paneLayout() != DocumentSplitter::kEditorOnly;
}

void TSystemFile::ApplySettings(const Settings& settings) {
    editor_->ApplyAppearance(settings.editorFont, settings.editorColor);
    plot_->SetShowHotSpots(settings.graphShowHotSpots);
    if (settings.solverShowInfo) ShowSolutionInfo(true);
    if (document_ != nullptr)
        table_->resultsModel()->SetResults(&document_->results(), settings.tablePrec,
                                           LocaleDecimalSeparator());
}

void TSystemFile::ShowSolutionInfo(bool show) {
    info_->setVisible(show);
}

bool TSystemFile::solutionInfoShown() const {
    return !info_->isHidden();
}

void TSystemFile::RestoreText(const QString& text) {
    editor_->SetModelText(text);
    editor_->document()->setModified(true);
    recovery_->NoteChanged();
}

// ---- DocumentHost

void TSystemFile::SetStatus(const std::string& text) {
    status_->SetPanelText(0, QString::fromStdString(text));
}

void TSystemFile::ShowProgress(const ProgressSnapshot& progress) {
    const QString method = QString::fromStdString(progress.method);
    if (progress.phase == ProgressSnapshot::Phase::Start) {
        info_->Reset(method);
        return;
    }
    info_->ShowProgress({method, progress.steps, progress.order, progress.stepSize,
                         progress.elapsedMs, progress.percent});
}

void TSystemFile::SetRunning(bool running) {
    running_ = running;
    editor_->setReadOnly(running);
    plot_->SetInteractive(!running);
    emit runningChanged(running);
}

void TSystemFile::ResultsChanged() {
    if (document_ == nullptr) return;
    table_->resultsModel()->Refresh();
    if (document_->HasResults()) {
        if (splitter_->paneLayout() == DocumentSplitter::kEditorOnly)
            splitter_->SetPaneLayout(DocumentSplitter::kBoth);
    } else if (!resultsDocument_) {
        splitter_->SetPaneLayout(DocumentSplitter::kEditorOnly);
    }
    ShowResultsPage();
}

void TSystemFile::ShowResultsPage() {
    const bool table = document_ != nullptr && document_->results().view == kViewTable;
    resultsStack_->setCurrentIndex(table ? kTablePage : kPlotPage);
    plot_->Redraw();
}

void TSystemFile::ShowErrorReport(const std::vector<std::string>& lines) {
    std::vector<std::string> shown = lines;
    // A model error names its place as kora-batch does: "m.krm:5:12: ...".
    if (shown.size() >= 2 && shown[0] == kModelErrorHeading && document_ != nullptr) {
        const TextPlace& place = document_->modelErrorPlace();
        if (place.line > 0) shown[1] = PlacePrefix(caption().toStdString(), place) + shown[1];
    }
    TErrorDialog::ShowReport(this, shown);
}

void TSystemFile::SelectModelSpan(int32_t offset, int32_t length) {
    if (!editor_->SelectModelSpan(offset, length)) return;
    if (splitter_->paneLayout() == DocumentSplitter::kResultsOnly)
        splitter_->SetPaneLayout(DocumentSplitter::kBoth);
    editor_->setFocus();
}

void TSystemFile::ShowModelWarnings(const std::vector<ModelWarning>& warnings) {
    warnings_->SetWarnings(warnings);
}

void TSystemFile::SelectFileLine(int line) {
    if (!editor_->SelectLine(line)) return;
    if (splitter_->paneLayout() == DocumentSplitter::kResultsOnly)
        splitter_->SetPaneLayout(DocumentSplitter::kBoth);
    editor_->setFocus();
}

Answer TSystemFile::Ask(const std::string& text, const std::string& title) {
    const auto button = QMessageBox::question(
        this, Title(title), QString::fromStdString(text),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (button == QMessageBox::Yes) return Answer::Yes;
    return button == QMessageBox::No ? Answer::No : Answer::Cancel;
}

bool TSystemFile::ConfirmLargeRun(const RunSize& size, int64_t limit) {
    const QString text = QStringLiteral("This run would report %1 values (%2 rows of %3 columns), "
                                        "more than the limit of %4.\nRun it anyway?")
                             .arg(size.values)
                             .arg(size.rows)
                             .arg(size.columns)
                             .arg(limit);
    return QMessageBox::question(this, Title("Large run"), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void TSystemFile::WarningBox(const std::string& text, const std::string& title) {
    QMessageBox::warning(this, Title(title), QString::fromStdString(text));
}

std::vector<std::string> TSystemFile::EditorLines() {
    return SplitTextLines(editor_->toPlainText().toStdString());
}

bool TSystemFile::TextModified() {
    return editor_->document()->isModified();
}

std::string TSystemFile::WriteText(const std::string& fileName) {
    std::string contents;
    for (const std::string& line : EditorLines())
        contents += line + "\r\n";
    return WriteFileAtomically(fileName, contents);
}

std::string TSystemFile::SaveDocument() {
    // A results document has no text of its own: its file holds the results.
    if (resultsDocument_) return SaveCurrentResults() ? document_->fileName() : std::string();
    if (document_ == nullptr || document_->fileName().empty()) return SaveDocumentAs();
    const std::string name = document_->fileName();
    const std::string reason = WriteText(name);
    if (!reason.empty()) {
        QMessageBox::critical(
            this, QStringLiteral("KORA"),
            QStringLiteral("Unable to save %1:\n%2")
                .arg(QString::fromStdString(name), QString::fromStdString(reason)));
        return {};
    }
    editor_->document()->setModified(false);
    recovery_->Discard();
    return name;
}

std::string TSystemFile::SaveDocumentAs() {
    if (document_ == nullptr) return {};
    // A script's CLOSE may arrive inside the dialog: this window stays.
    const DocumentHold hold(workspace_, *document_);
    if (resultsDocument_) {
        std::string savedName;
        if (document_ == nullptr ||
            app::SaveResultsAs(this, document_->results(), workspace_.settings(), {}, savedName) !=
                SaveOutcome::Saved)
            return {};
        NoteSavedResults(savedName);
        return savedName;
    }
    const QString chosen = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save As"), FileDialogFolder::StartPath(OfferedFileName()),
        QStringLiteral("System description files (KRM) (*.krm);;Any files (*.*)"));
    if (chosen.isEmpty() || document_ == nullptr) return {};
    FileDialogFolder::Remember(chosen);
    const std::string previous = document_->fileName();
    document_->SetFileName(chosen.toStdString());
    const std::string saved = SaveDocument();
    if (saved.empty()) {
        document_->SetFileName(previous);
        return {};
    }
    NameDocument(chosen);
    return saved;
}

QString TSystemFile::OfferedFileName() const {
    if (document_ != nullptr && !document_->fileName().empty())
        return QString::fromStdString(document_->fileName());
    const std::string title =
        ReadModelNames(SplitTextLines(editor_->toPlainText().toStdString())).title;
    QString name = QString::fromStdString(title).trimmed();
    // Characters no file system takes, and leading dots, become underscores.
    static const QRegularExpression unusable(QStringLiteral(R"([\\/:*?"<>|\x00-\x1f]|^\.+)"));
    name.replace(unusable, QStringLiteral("_"));
    return name.isEmpty() ? caption_ : name + QStringLiteral(".krm");
}

void TSystemFile::NameDocument(const QString& fileName) {
    if (document_ == nullptr) return;
    document_->SetFileName(fileName.toStdString());
    recovery_->SetDocumentName(fileName);
    setWindowTitle(caption());
    emit fileNameChanged();
}

bool TSystemFile::SaveCurrentResults() {
    if (document_ == nullptr) return false;
    const DocumentHold hold(workspace_, *document_); // the overwrite question
    std::string name = document_->results().fileName;
    if (name.empty() && resultsDocument_) name = document_->fileName();
    std::string savedName;
    const SaveOutcome outcome =
        app::SaveResults(this, document_->results(), name, workspace_.settings(),
                         ModelFileName(*document_, resultsDocument_), savedName);
    if (outcome == SaveOutcome::Saved) NoteSavedResults(savedName);
    return outcome == SaveOutcome::Saved;
}

// ---- results commands

void TSystemFile::NoteSavedResults(const std::string& savedName) {
    emit resultsSaved(QString::fromStdString(savedName));
    // An open file stays out of the recent files until it closes.
    if (!resultsDocument_) workspace_.recentFiles().Add(savedName);
    if (resultsDocument_ && document_ != nullptr) {
        document_->SetFileName(savedName);
        setWindowTitle(caption());
        emit fileNameChanged();
    }
}

void TSystemFile::SetView(int8_t view) {
    if (document_ == nullptr) return;
    ResultsSet& set = document_->results();
    if (set.view != view) {
        set.view = view;
        set.modified = true;
    }
    ShowResultsPage();
}

void TSystemFile::ToggleBlackAndWhite() {
    if (document_ == nullptr) return;
    ResultsSet& set = document_->results();
    set.blackAndWhite = !set.blackAndWhite;
    set.modified = true;
    plot_->Redraw();
}

void TSystemFile::CopyResults() {
    if (document_ == nullptr) return;
    ResultsSet& set = document_->results();
    if (set.view == kViewTable)
        table_->CopySelection();
    else
        CopyPlot(set, set.view, plot_->PlotRect().size());
}

void TSystemFile::ExportPlotImage() {
    if (document_ == nullptr) return;
    ResultsSet& set = document_->results();
    const QString start = QFileInfo(QString::fromStdString(ResultsFileName())).completeBaseName();
    ExportPlot(this, set, set.view, plot_->PlotRect().size(), start);
}

std::string TSystemFile::ResultsFileName() const {
    return document_ != nullptr ? document_->ResultsFileName() : std::string();
}

void TSystemFile::SaveResultsAs() {
    if (document_ == nullptr) return;
    std::string name;
    {
        const DocumentHold hold(workspace_, *document_);
        name = AskResultsSaveName(this, document_->results(), workspace_.settings());
    }
    if (!name.empty()) SaveResultsInBackground(name);
}

void TSystemFile::SaveResultsUnderName() {
    if (document_ == nullptr) return;
    std::string name = document_->results().fileName;
    if (name.empty() && resultsDocument_) name = document_->fileName();
    if (name.empty()) {
        SaveResultsAs();
        return;
    }
    {
        const DocumentHold hold(workspace_, *document_); // the overwrite question
        if (!MayWriteResults(this, name, workspace_.settings())) return;
    }
    SaveResultsInBackground(name);
}

// The document is busy while the file is written; the window hears of the
// outcome on the main thread, and only while the document lives.
void TSystemFile::SaveResultsInBackground(const std::string& name) {
    if (document_ == nullptr || document_->IsRunning()) return;
    document_->SaveResultsInBackground(name, [this, name](const ResultsFileResult& written) {
        if (ReportSaveFailure(this, SaveFailureText(written, name)) != SaveOutcome::Saved) return;
        // A results document takes the chosen name.
        if (resultsDocument_) document_->results().fileName = name;
        NoteSavedResults(name);
    });
}

void TSystemFile::ClearDocumentResults() {
    if (document_ != nullptr) document_->ClearResults();
}

void TSystemFile::ChooseBackgroundColour() {
    if (document_ != nullptr && ChooseBackground(this, document_->results())) plot_->Redraw();
}

void TSystemFile::MergeFromDocument(const SystemDocument& source) {
    if (document_ == nullptr) return;
    MergeFrom(document_->results(), source.results());
    document_->MarkHasResults();
    ResultsChanged();
}

void TSystemFile::MergeFromAllDocuments(const std::vector<const SystemDocument*>& sources) {
    if (document_ == nullptr || sources.empty()) return;
    std::vector<const ResultsSet*> sets;
    for (const SystemDocument* source : sources)
        sets.push_back(&source->results());
    MergeFromAll(document_->results(), sets);
    document_->MarkHasResults();
    ResultsChanged();
}

// The window system's close goes through the workspace's rules, after this
// event: the workspace destroys the window when the close succeeds.
void TSystemFile::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (document_ != nullptr) emit closeRequested(document_);
}

} // namespace kora::app

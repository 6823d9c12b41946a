#include "fit_dialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>
#include <cmath>

#include "fit/fit_candidates.h"
#include "fit/fitted_model_text.h"
#include "fit_parameter_model.h"
#include "model_editor.h"
#include "plot_pane.h"
#include "results/number_text.h"
#include "solve/model_settings.h"
#include "solve/system_document.h"
#include "system_file.h"

namespace kora::app {

namespace {

QString Shown(double value, int digits) {
    return std::isfinite(value) ? QString::fromStdString(FormatGeneral(value, digits))
                                : QStringLiteral("-");
}

FitModelSource SourceOf(TSystemFile& file, const Settings& settings) {
    FitModelSource source;
    source.fileName = file.caption().toStdString();
    source.modelLines = ExtractModelLines(file.EditorLines(), true).modelLines;
    KRMForm form;
    ErrorDisplay sink;
    KRMparser names(&form, &sink);
    ApplyModelSettings(names, settings);
    source.predefinedNames = names.predefinedNames;
    source.defaultPoints = names.defaultPoints;
    return source;
}

} // namespace

TFitDialog::TFitDialog(TSystemFile& file, const Settings& settings, QWidget* parent)
    : QDialog(parent), file_(file), settings_(settings), model_(new FitParameterModel(this)),
      files_(new QListWidget(this)), table_(new QTableView(this)), method_(new QComboBox(this)),
      starts_(new QSpinBox(this)), fit_(new QPushButton(tr("&Fit"), this)),
      stopButton_(new QPushButton(tr("&Stop"), this)),
      write_(new QPushButton(tr("&Write Values into Model"), this)), progress_(new QLabel(this)),
      results_(new QTableWidget(0, 3, this)) {
    setWindowTitle(tr("Fit to Data"));
    auto* addFiles = new QPushButton(tr("&Add..."), this);
    auto* removeFile = new QPushButton(tr("&Remove"), this);
    connect(addFiles, &QPushButton::clicked, this, &TFitDialog::BrowseDataFiles);
    connect(removeFile, &QPushButton::clicked, this, [this] { delete files_->currentItem(); });
    auto* fileButtons = new QVBoxLayout;
    fileButtons->addWidget(addFiles);
    fileButtons->addWidget(removeFile);
    fileButtons->addStretch();
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(files_);
    fileRow->addLayout(fileButtons);
    files_->setMaximumHeight(90);

    table_->setModel(model_);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->verticalHeader()->hide();
    std::vector<FitCandidate> candidates;
    const std::string problem = FitCandidates(SourceOf(file_, settings_), candidates);
    model_->SetCandidates(candidates);
    if (!problem.empty()) progress_->setText(QString::fromStdString(problem));

    method_->addItems({tr("Levenberg-Marquardt"), tr("Many starts"), tr("S-system, then LM")});
    starts_->setRange(1, 10000);
    starts_->setValue(20);
    connect(method_, &QComboBox::currentIndexChanged, this,
            [this](int index) { starts_->setEnabled(index == 1); });
    starts_->setEnabled(false);
    auto* form = new QFormLayout;
    form->addRow(tr("Method:"), method_);
    form->addRow(tr("Starts:"), starts_);

    results_->setHorizontalHeaderLabels({tr("Parameter"), tr("Value"), tr("Standard error")});
    results_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    results_->horizontalHeader()->setStretchLastSection(true);
    results_->verticalHeader()->hide();
    results_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* buttons = new QHBoxLayout;
    auto* close = new QPushButton(tr("Close"), this);
    buttons->addWidget(fit_);
    buttons->addWidget(stopButton_);
    buttons->addWidget(write_);
    buttons->addStretch();
    buttons->addWidget(close);
    connect(fit_, &QPushButton::clicked, this, &TFitDialog::StartFit);
    connect(stopButton_, &QPushButton::clicked, this, &TFitDialog::StopFit);
    connect(write_, &QPushButton::clicked, this, &TFitDialog::WriteValuesIntoModel);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Data files:"), this));
    layout->addLayout(fileRow);
    layout->addWidget(new QLabel(tr("Parameters:"), this));
    layout->addWidget(table_, 2);
    layout->addLayout(form);
    layout->addWidget(progress_);
    layout->addWidget(results_, 1);
    layout->addLayout(buttons);
    SetRunning(false);
    write_->setEnabled(false);
    resize(560, 620);
}

TFitDialog::~TFitDialog() {
    stop_.store(true);
    if (worker_.joinable()) worker_.join();
}

void TFitDialog::BrowseDataFiles() {
    AddDataFiles(QFileDialog::getOpenFileNames(this, tr("Data Files"), {},
                                               tr("Data (*.csv *.tsv *.txt);;All files (*)")));
}

void TFitDialog::AddDataFiles(const QStringList& files) {
    files_->addItems(files);
}

QString TFitDialog::Problem(const std::string& text) {
    const QString message = QString::fromStdString(text);
    progress_->setText(message);
    QMessageBox::warning(this, tr("Could not fit"), message);
    return message;
}

bool TFitDialog::StartFit() {
    if (running()) return false;
    request_ = FitRequest{};
    request_.model = SourceOf(file_, settings_);
    if (const QString problem = model_->Specs(request_.parameters); !problem.isEmpty()) {
        Problem(problem.toStdString());
        return false;
    }
    if (files_->count() == 0) {
        Problem(tr("Add at least one data file.").toStdString());
        return false;
    }
    for (int i = 0; i < files_->count(); ++i) {
        DataTable table;
        if (std::string problem = ReadDataFile(files_->item(i)->text().toStdString(), table);
            !problem.empty()) {
            Problem(problem);
            return false;
        }
        request_.data.push_back(std::move(table));
    }
    const FitMethod methods[] = {FitMethod::LevenbergMarquardt, FitMethod::MultiStart,
                                 FitMethod::SSystem};
    request_.options.method = methods[std::max(0, method_->currentIndex())];
    request_.options.starts = starts_->value();
    stop_.store(false);
    SetRunning(true);
    progress_->setText(tr("Fitting..."));
    worker_ = std::thread([this] {
        FitResult result = RunFit(request_, &stop_, [this](const FitProgress& progress) {
            QMetaObject::invokeMethod(
                this, [this, progress] { ShowProgress(progress); }, Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(
            this, [this, result = std::move(result)]() mutable { FitDone(std::move(result)); },
            Qt::QueuedConnection);
    });
    return true;
}

void TFitDialog::ShowProgress(const FitProgress& progress) {
    progress_->setText(tr("Starts done: %1 of %2, best objective %3")
                           .arg(progress.startsDone)
                           .arg(progress.starts)
                           .arg(Shown(progress.bestObjective, 8)));
}

void TFitDialog::FitDone(FitResult result) {
    if (worker_.joinable()) worker_.join();
    result_ = std::move(result);
    SetRunning(false);
    if (!result_.message.empty()) {
        Problem(result_.message);
        return;
    }
    ShowResult();
    DrawData();
    write_->setEnabled(true);
    emit fitFinished();
}

void TFitDialog::ShowResult() {
    const FitResult& r = result_;
    progress_->setText(
        tr("%1%2: objective %3, ssr %4, AIC %5, BIC %6, %7 evaluations")
            .arg(r.converged ? tr("Converged") : tr("Not converged"))
            .arg(r.stopped ? tr(" (stopped)") : QString())
            .arg(Shown(r.objective, 8), Shown(r.ssr, 8), Shown(r.aic, 6), Shown(r.bic, 6))
            .arg(r.evaluations));
    results_->setRowCount(static_cast<int>(r.parameters.size()));
    for (size_t p = 0; p < r.parameters.size(); ++p) {
        const FittedParameter& parameter = r.parameters[p];
        QString se = Shown(parameter.se, 4);
        if (parameter.atBound) se = tr("at bound");
        if (!parameter.identifiable) se = tr("not identifiable");
        const int row = static_cast<int>(p);
        results_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(parameter.name)));
        results_->setItem(row, 1, new QTableWidgetItem(Shown(parameter.value, 10)));
        results_->setItem(row, 2, new QTableWidgetItem(se));
    }
}

void TFitDialog::DrawData() {
    std::vector<DataMarkerSeries> markers;
    for (const DataTable& table : request_.data)
        for (const DataColumn& column : table.columns)
            markers.push_back({column.name, table.times, column.values});
    file_.plotPane()->SetDataMarkers(std::move(markers));
}

void TFitDialog::WriteValuesIntoModel() {
    if (result_.parameters.empty()) return;
    ModelEditor& editor = *file_.editor();
    QTextCursor cursor(editor.document());
    cursor.beginEditBlock();
    for (const FittedParameter& parameter : result_.parameters) {
        const TextLines lines = file_.EditorLines();
        size_t line = 0, begin = 0, end = 0;
        if (!FindAssignedValue(lines, parameter.name, line, begin, end)) continue;
        const QTextBlock block = editor.document()->findBlockByNumber(static_cast<int>(line));
        // The editor's text is the lines' text; positions count characters.
        const QString text = block.text();
        const int from = QString::fromStdString(lines[line].substr(0, begin)).size();
        const int to = QString::fromStdString(lines[line].substr(0, end)).size();
        cursor.setPosition(block.position() + from);
        cursor.setPosition(block.position() + std::min(to, static_cast<int>(text.size())),
                           QTextCursor::KeepAnchor);
        const bool comment = end < lines[line].size();
        cursor.insertText(QStringLiteral(" ") +
                          QString::fromStdString(FittedValueText(parameter.value)) +
                          (comment ? QStringLiteral(" ") : QString()));
    }
    cursor.endEditBlock();
    if (SystemDocument* document = file_.document(); document != nullptr)
        document->AnalysisRunClick();
}

void TFitDialog::SetRunning(bool running) {
    fit_->setEnabled(!running);
    stopButton_->setEnabled(running);
    table_->setEnabled(!running);
    files_->setEnabled(!running);
    if (running) write_->setEnabled(false);
}

} // namespace kora::app

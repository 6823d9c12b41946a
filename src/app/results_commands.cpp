#include "results_commands.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>

#include "export_plot_dialog.h"
#include "file_dialog_folder.h"
#include "qt_conversions.h"
#include "results/plot_ranges.h"
#include "results/qt/plot_file.h"
#include "results/results_file.h"
#include "results/results_save.h"
#include "settings/settings.h"

namespace kora::app {

namespace {

PlotFileOptions FileOptions(int8_t view, QSize size) {
    PlotFileOptions options;
    options.view = view;
    options.width = size.width();
    options.height = size.height();
    return options;
}

QByteArray ToBytes(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

SaveOutcome ReportSaveFailure(QWidget* parent, const std::string& failure) {
    if (failure.empty()) return SaveOutcome::Saved;
    QMessageBox::warning(parent, QObject::tr("Results not saved"), QString::fromStdString(failure));
    return SaveOutcome::Failed;
}

char LocaleDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 ? point.at(0).toLatin1() : '.';
}

QMimeData* PlotMimeData(ResultsSet& set, int8_t view, QSize size) {
    const PlotFileOptions options = FileOptions(view, size);
    const PlotBytes svg = RenderPlotBytes(set, PlotFileFormat::Svg, options);
    const PlotBytes png = RenderPlotBytes(set, PlotFileFormat::Png, options);
    if (svg.bytes.empty() || png.bytes.empty()) return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kSvgMimeType), ToBytes(svg.bytes));
    data->setImageData(QImage::fromData(ToBytes(png.bytes), "PNG"));
    return data;
}

bool CopyPlot(ResultsSet& set, int8_t view, QSize size) {
    QMimeData* data = PlotMimeData(set, view, size);
    if (data == nullptr) return false;
    QApplication::clipboard()->setMimeData(data);
    return true;
}

bool ExportPlot(QWidget* parent, ResultsSet& set, int8_t view, QSize size,
                const QString& startName) {
    const QString name = QFileDialog::getSaveFileName(
        parent, QObject::tr("Export Plot"), FileDialogFolder::StartPath(startName),
        QObject::tr("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"));
    if (name.isEmpty()) return false;
    ExportPlotDialog ask(size, parent);
    if (ask.exec() != QDialog::Accepted) return false;
    FileDialogFolder::Remember(name);
    PlotFileOptions options = FileOptions(view, size);
    ask.ApplyTo(options);
    const PlotFileResult written = RenderPlotToFile(set, name.toStdString(), options);
    if (written.ok()) return true;
    QMessageBox::warning(parent, QObject::tr("Export Plot"),
                         QString::fromStdString(written.reason));
    return written.status == PlotFileStatus::TooManyPoints;
}

bool ChooseBackground(QWidget* parent, ResultsSet& set) {
    const QColor chosen =
        QColorDialog::getColor(ToQColor(set.background), parent, QObject::tr("Background Color"));
    if (!chosen.isValid()) return false;
    set.background = ToColour(chosen);
    set.modified = true;
    return true;
}

QString SaveUnderNameText(const std::string& resultsFileName) {
    return QObject::tr("Sa&ve as ") + QFileInfo(QString::fromStdString(resultsFileName)).fileName();
}

std::string WriteResults(ResultsSet& set, const std::string& fileName, int32_t filePrec,
                         const std::string& modelFileName) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ResultsFileResult written = SaveResultsSet(set, fileName, filePrec, modelFileName);
    QApplication::restoreOverrideCursor();
    return SaveFailureText(written, fileName);
}

std::string SaveFailureText(const ResultsFileResult& written, const std::string& fileName) {
    if (written) return std::string();
    return written.reason.empty() ? "'" + fileName + "' could not be written" : written.reason;
}

bool MayWriteResults(QWidget* parent, const std::string& fileName, const Settings& settings) {
    const QString name = QString::fromStdString(fileName);
    return settings.noWarnOverwritingResults || !QFileInfo::exists(name) ||
           QMessageBox::question(parent, QObject::tr("File already exists:"),
                                 QObject::tr("Overwrite ") + name + QStringLiteral("?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::string AskResultsSaveName(QWidget* parent, const ResultsSet& set, const Settings& settings) {
    QFileDialog dialog(parent, QObject::tr("Save As"),
                       FileDialogFolder::StartPath(QString::fromStdString(set.fileName)),
                       QObject::tr("Results files (*.res);;All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("res"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, settings.noWarnOverwritingResults);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    FileDialogFolder::Remember(dialog.selectedFiles().front());
    return dialog.selectedFiles().front().toStdString();
}

SaveOutcome SaveResults(QWidget* parent, ResultsSet& set, const std::string& fileName,
                        const Settings& settings, const std::string& modelFileName,
                        std::string& savedName) {
    if (fileName.empty()) return SaveResultsAs(parent, set, settings, modelFileName, savedName);
    if (!MayWriteResults(parent, fileName, settings)) return SaveOutcome::Cancelled;
    const SaveOutcome outcome =
        ReportSaveFailure(parent, WriteResults(set, fileName, settings.filePrec, modelFileName));
    if (outcome == SaveOutcome::Saved) savedName = fileName;
    return outcome;
}

SaveOutcome SaveResultsAs(QWidget* parent, ResultsSet& set, const Settings& settings,
                          const std::string& modelFileName, std::string& savedName) {
    const std::string name = AskResultsSaveName(parent, set, settings);
    if (name.empty()) return SaveOutcome::Cancelled;
    const SaveOutcome outcome =
        ReportSaveFailure(parent, WriteResults(set, name, settings.filePrec, modelFileName));
    if (outcome != SaveOutcome::Saved) return outcome;
    if (modelFileName.empty()) set.fileName = name; // a results document takes the name
    savedName = name;
    return outcome;
}

void ClearResults(ResultsSet& set) {
    set.Clear();
}

bool IsMergeSource(const MergeCandidate& window) {
    return !window.isTarget && window.hasResults && !window.minimized;
}

bool IsMergeFromAllSource(const MergeCandidate& window) {
    return IsMergeSource(window) && !window.resultsPaneHidden;
}

void MergeFrom(ResultsSet& target, const ResultsSet& source) {
    target.Merge(source);
    Recompute(target, LocaleDecimalSeparator());
}

void MergeFromAll(ResultsSet& target, const std::vector<const ResultsSet*>& sources) {
    for (const ResultsSet* source : sources)
        if (source != nullptr) target.Merge(*source);
    Recompute(target, LocaleDecimalSeparator());
}

} // namespace kora::app

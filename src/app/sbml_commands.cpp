#include "sbml_commands.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <string>
#include <vector>

#include "file_dialog_folder.h"
#include "results/atomic_file.h"
#include "sbml/sbml_exchange.h"

namespace kora::app {

namespace {

const QString kTitle = QStringLiteral("KORA");

bool SayMissing(QWidget* parent) {
    if (SbmlAvailable()) return false;
    QMessageBox::warning(parent, kTitle,
                         QStringLiteral("This build of KORA cannot read or write SBML."));
    return true;
}

void ShowProblems(QWidget* parent, const QString& heading,
                  const std::vector<std::string>& problems) {
    QString text = heading;
    for (const std::string& problem : problems)
        text += QStringLiteral("\n") + QString::fromStdString(problem);
    QMessageBox::warning(parent, kTitle, text);
}

} // namespace

bool IsSbmlFileName(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix();
    return suffix.compare(QStringLiteral("xml"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QStringLiteral("sbml"), Qt::CaseInsensitive) == 0;
}

std::optional<QString> ConvertSbmlFile(QWidget* parent, const QString& path) {
    if (SayMissing(parent)) return std::nullopt;
    std::string text;
    std::vector<std::string> problems;
    const SbmlStatus status = ImportSbmlFile(path.toStdString(), text, problems);
    if (status == SbmlStatus::Ok) return QString::fromStdString(text);
    ShowProblems(parent,
                 QStringLiteral("%1 could not be converted:").arg(QFileInfo(path).fileName()),
                 problems);
    return std::nullopt;
}

QString ModelNameForSbml(const QString& sbmlPath) {
    const QFileInfo source(sbmlPath);
    const QString name = source.absolutePath() + QLatin1Char('/') + source.completeBaseName() +
                         QStringLiteral(".krm");
    return QFileInfo::exists(name) ? QString() : name;
}

bool ExportSbmlFile(QWidget* parent, const TextLines& editorLines, const QString& startName) {
    if (SayMissing(parent)) return false;
    std::string xml;
    std::vector<std::string> problems;
    if (ExportSbml(editorLines, xml, problems) != SbmlStatus::Ok) {
        ShowProblems(parent, QStringLiteral("The model could not be exported:"), problems);
        return false;
    }
    const QString name = QFileDialog::getSaveFileName(parent, QStringLiteral("Export SBML"),
                                                      FileDialogFolder::StartPath(startName),
                                                      QString::fromLatin1(kSbmlFilter));
    if (name.isEmpty()) return false;
    FileDialogFolder::Remember(name);
    const std::string reason = WriteFileAtomically(name.toStdString(), xml);
    if (reason.empty()) return true;
    QMessageBox::warning(
        parent, kTitle,
        QStringLiteral("Unable to write %1:\n%2").arg(name, QString::fromStdString(reason)));
    return false;
}

} // namespace kora::app

#include "text_file_save.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "file_dialog_folder.h"
#include "results/atomic_file.h"

namespace kora::app {

QString AskTextFileName(QWidget* parent, const QString& filter, const QString& lastPath) {
    QFileDialog dialog(parent, QObject::tr("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    const QString start = lastPath.isEmpty() ? FileDialogFolder::StartPath() : lastPath;
    if (!start.isEmpty()) dialog.setDirectory(QFileInfo(start).absolutePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    FileDialogFolder::Remember(dialog.selectedFiles().constFirst());
    return dialog.selectedFiles().constFirst();
}

QString WriteTextFile(const QString& path, std::string_view contents) {
    const std::string failure =
        WriteFileAtomically(QFile::encodeName(path).toStdString(), contents);
    return QString::fromStdString(failure);
}

void ShowWriteFailure(QWidget* parent, const QString& path, const QString& reason) {
    QMessageBox::warning(parent, QObject::tr("Save"),
                         QObject::tr("Cannot write %1:\n%2").arg(path, reason));
}

} // namespace kora::app

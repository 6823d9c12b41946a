#include "file_dialog_folder.h"

#include <QDir>
#include <QFileInfo>

namespace kora::app {
namespace {

std::string* g_openDir = nullptr;
QString g_documentFolder;

} // namespace

void FileDialogFolder::BindSetting(std::string* openDir) {
    g_openDir = openDir;
}

void FileDialogFolder::SetDocumentFolder(const QString& folder) {
    g_documentFolder = folder;
}

QString FileDialogFolder::StartPath(const QString& name) {
    if (!name.isEmpty() && QFileInfo(name).isAbsolute()) return name;
    QString folder = g_documentFolder;
    if (folder.isEmpty() && g_openDir != nullptr) folder = QString::fromStdString(*g_openDir);
    if (!folder.isEmpty() && !QFileInfo(folder).isDir()) folder.clear();
    if (folder.isEmpty()) return name;
    return name.isEmpty() ? folder : QDir(folder).filePath(name);
}

void FileDialogFolder::Remember(const QString& path) {
    if (path.isEmpty() || g_openDir == nullptr) return;
    const QFileInfo chosen(path);
    *g_openDir =
        QDir::toNativeSeparators(chosen.isDir() ? chosen.absoluteFilePath() : chosen.absolutePath())
            .toStdString();
}

} // namespace kora::app

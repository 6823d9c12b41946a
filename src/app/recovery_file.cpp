#include "recovery_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>
#include <algorithm>

namespace kora::app {
namespace {

const QByteArray kHeader = "KORA recovered text\n";
const QString kSuffix = QStringLiteral(".recovery");

} // namespace

RecoveryFile::RecoveryFile(const QString& folder, std::function<QString()> currentText,
                           QObject* parent)
    : QObject(parent),
      path_(QDir(folder).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + kSuffix)),
      currentText_(std::move(currentText)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &RecoveryFile::WriteNow);
}

RecoveryFile::~RecoveryFile() {
    Discard();
}

void RecoveryFile::NoteChanged() {
    if (!timer_.isActive()) timer_.start();
}

bool RecoveryFile::WriteNow() {
    timer_.stop();
    if (!QDir().mkpath(QFileInfo(path_).absolutePath())) return false;
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(kHeader);
    file.write(documentName_.toUtf8() + '\n');
    file.write(currentText_().toUtf8());
    return file.commit();
}

void RecoveryFile::Discard() {
    timer_.stop();
    QFile::remove(path_);
}

QString RecoveryFile::DefaultFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("recovery"));
}

std::vector<RecoveredText> RecoveryFile::List(const QString& folder) {
    std::vector<RecoveredText> found;
    const QFileInfoList files =
        QDir(folder).entryInfoList({QLatin1Char('*') + kSuffix}, QDir::Files, QDir::Time);
    for (const QFileInfo& info : files) {
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QByteArray content = file.readAll();
        if (!content.startsWith(kHeader)) continue;
        const qsizetype nameEnd = content.indexOf('\n', kHeader.size());
        if (nameEnd < 0) continue;
        RecoveredText text;
        text.path = info.filePath();
        text.documentName =
            QString::fromUtf8(content.mid(kHeader.size(), nameEnd - kHeader.size()));
        text.text = QString::fromUtf8(content.mid(nameEnd + 1));
        text.written = info.lastModified();
        found.push_back(std::move(text));
    }
    std::reverse(found.begin(), found.end());
    return found;
}

bool RecoveryFile::Remove(const QString& path) {
    return QFile::remove(path);
}

} // namespace kora::app

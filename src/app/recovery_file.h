// Keeps a copy of a modified, unsaved model text in the user's data folder,
// so that a crash loses at most the last half minute of typing. A save or an
// ordinary close removes the copy; only a process that dies leaves it behind
// for the next start to offer back.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

namespace kora::app {

struct RecoveredText {
    QString path;         // the recovery file
    QString documentName; // the document's file name or caption when it was written
    QString text;
    QDateTime written;
};

class RecoveryFile : public QObject {
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 30000;

    // `currentText` is asked for the text whenever a copy is written.
    RecoveryFile(const QString& folder, std::function<QString()> currentText,
                 QObject* parent = nullptr);
    // Removes the copy: a process that ends normally has asked its questions.
    ~RecoveryFile() override;

    void SetDocumentName(const QString& name) { documentName_ = name; }

    // The text changed: a copy is written when the interval has passed,
    // however often it changes meanwhile.
    void NoteChanged();
    // Writes the copy now; false when it could not be written.
    bool WriteNow();
    // The text was saved or given up: no copy is needed any more.
    void Discard();

    QString path() const { return path_; }
    bool pending() const { return timer_.isActive(); }

    // The user's folder for recovery files.
    static QString DefaultFolder();
    // The copies left in `folder`, oldest first; unreadable files are skipped.
    static std::vector<RecoveredText> List(const QString& folder);
    static bool Remove(const QString& path);

private:
    QString path_;
    QString documentName_;
    std::function<QString()> currentText_;
    QTimer timer_;
};

} // namespace kora::app

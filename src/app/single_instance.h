// One running application per user: the first start listens on a local
// socket; a later start hands its file name to it and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace kora::app {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        First,          // this process is the running instance now
        HandedOver,     // the running instance took the file; end with success
        AlreadyRunning, // another instance runs and no file was given
        Failed,         // the lock could not be taken
    };

    static constexpr const char* kLockName = "KORAApplicationRunning";

    // `name` is the lock's name; a full path is used as the socket itself.
    explicit SingleInstance(const QString& name = DefaultName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // `file` (may be empty) is handed over when another instance runs.
    Outcome Start(const QString& file);

    // The user's own lock: in the per-user runtime folder when there is one,
    // else a name that carries the user's name.
    static QString DefaultName();

signals:
    // A later start asked this instance to open `file` (an absolute path).
    void fileReceived(const QString& file);

private:
    bool HandOver(const QString& file);
    void TakeConnection();

    QString name_;
    QLocalServer* server_ = nullptr;
};

} // namespace kora::app

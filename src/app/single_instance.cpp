#include "single_instance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace kora::app {
namespace {

constexpr int kConnectTimeoutMs = 1000;
constexpr int kWriteTimeoutMs = 3000;

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), name_(name) {}

SingleInstance::~SingleInstance() {
    if (server_ != nullptr) server_->close();
}

QString SingleInstance::DefaultName() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return QDir(runtime).filePath(QLatin1String(kLockName));
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = QDir::home().dirName();
    return QLatin1String(kLockName) + QLatin1Char('-') + user;
}

SingleInstance::Outcome SingleInstance::Start(const QString& file) {
    if (HandOver(file)) return file.isEmpty() ? Outcome::AlreadyRunning : Outcome::HandedOver;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered, so a socket left there belongs to an instance that
    // ended without closing it.
    if (!server_->listen(name_)) {
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_)) return Outcome::Failed;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::TakeConnection);
    return Outcome::First;
}

// Sends the absolute file name and a line end; a start without a file sends
// the line end alone.
bool SingleInstance::HandOver(const QString& file) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    const QString path = file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
    socket.write(path.toUtf8() + '\n');
    socket.waitForBytesWritten(kWriteTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kWriteTimeoutMs);
    return true;
}

void SingleInstance::TakeConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        const auto read = [this, socket] {
            if (!socket->canReadLine()) return;
            const QString path = QString::fromUtf8(socket->readLine()).trimmed();
            if (!path.isEmpty()) emit fileReceived(path);
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        read(); // the line may have come with the connection
    }
}

} // namespace kora::app

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "single_instance.h"

namespace kora::app {
namespace {

TEST(SingleInstance, ASecondStartHandsItsFileToTheFirst) {
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("lock"));
    SingleInstance first(lock);
    ASSERT_EQ(first.Start(QString()), SingleInstance::Outcome::First);
    QSignalSpy received(&first, &SingleInstance::fileReceived);

    SingleInstance second(lock);
    EXPECT_EQ(second.Start(QStringLiteral("model.krm")), SingleInstance::Outcome::HandedOver);
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(received.at(0).at(0).toString(), QDir::current().absoluteFilePath("model.krm"));

    SingleInstance third(lock);
    EXPECT_EQ(third.Start(QString()), SingleInstance::Outcome::AlreadyRunning);
}

// A crashed instance leaves its socket file behind with nobody listening.
TEST(SingleInstance, ALockLeftByACrashDoesNotBlock) {
    QTemporaryDir dir;
    const QByteArray lock = dir.filePath(QStringLiteral("lock")).toLocal8Bit();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, lock.constData(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);

    SingleInstance instance(QString::fromLocal8Bit(lock));
    EXPECT_EQ(instance.Start(QStringLiteral("model.krm")), SingleInstance::Outcome::First);
}

} // namespace
} // namespace kora::app

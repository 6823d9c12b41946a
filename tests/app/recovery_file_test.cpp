#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "recovery_file.h"

namespace kora::app {
namespace {

TEST(RecoveryFile, KeepsTheTextUntilSavedOrClosed) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    QString text = QStringLiteral("X' = -k X\nX = 1\n// \u00e9\n");
    auto file = std::make_unique<RecoveryFile>(folder, [&text] { return text; });
    file->SetDocumentName(QStringLiteral("/home/me/model.krm"));

    file->NoteChanged();
    EXPECT_TRUE(file->pending());
    EXPECT_TRUE(RecoveryFile::List(folder).empty());
    ASSERT_TRUE(file->WriteNow());
    EXPECT_FALSE(file->pending());

    std::vector<RecoveredText> found = RecoveryFile::List(folder);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].documentName, "/home/me/model.krm");
    EXPECT_EQ(found[0].text, text);

    text = QStringLiteral("changed");
    ASSERT_TRUE(file->WriteNow());
    EXPECT_EQ(RecoveryFile::List(folder).at(0).text, "changed");

    file->Discard(); // saved
    EXPECT_TRUE(RecoveryFile::List(folder).empty());
    ASSERT_TRUE(file->WriteNow());
    file.reset(); // an ordinary close
    EXPECT_TRUE(RecoveryFile::List(folder).empty());
}

TEST(RecoveryFile, ListsOnlyItsOwnFiles) {
    QTemporaryDir dir;
    QFile stranger(dir.filePath(QStringLiteral("other.recovery")));
    ASSERT_TRUE(stranger.open(QIODevice::WriteOnly));
    stranger.write("not ours");
    stranger.close();
    EXPECT_TRUE(RecoveryFile::List(dir.path()).empty());
}

} // namespace
} // namespace kora::app

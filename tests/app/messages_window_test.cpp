#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "messages_editor.h"
#include "messages_window.h"
#include "temp_files.h"

namespace kora::app {
namespace {

TEST(MessagesWindow, CannotCloseWhileTheScriptRunsAndSavesAfterwards) {
    auto* window =
        new TOutForm(QStringLiteral("/models/a.krm"), QStringLiteral("Messages from a.krm"));
    QPointer<TOutForm> alive(window);
    window->SetBusy(true);
    window->Append(std::string("\nk = \t2.5"));
    EXPECT_FALSE(window->close());
    QTest::keyClick(window->editor(), Qt::Key_Escape);
    for (QPushButton* button : window->findChildren<QPushButton*>())
        EXPECT_FALSE(button->isEnabled()) << button->text().toStdString();

    window->SetBusy(false);
    const auto path = std::filesystem::temp_directory_path() /
                      ("kora_messages_" + std::to_string(::getpid()) + ".txt");
    ASSERT_TRUE(window->SaveTo(QString::fromStdString(path.string())).isEmpty());
    EXPECT_EQ(testing::ReadAll(path), "\r\nk = \t2.5");
    std::filesystem::remove(path);

    QTest::keyClick(window->editor(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
}

TEST(MessagesWindow, AThousandsOfLinesLoopArrivesWhole) {
    TOutForm window(QStringLiteral("a.krm"), QStringLiteral("Messages from a.krm"));
    window.SetBusy(true);
    QString expected;
    for (int i = 0; i < 10000; ++i) {
        const QString line = QStringLiteral("\nline %1\t%2").arg(i).arg(i * 0.5);
        window.Append(line);
        expected += line;
    }
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window.editor()->toPlainText().size() == expected.size(); }, 10000));
    EXPECT_EQ(window.editor()->toPlainText(), expected);
}

TEST(MessagesWindow, PastTheLimitTheOldestLinesGo) {
    MessagesEditor editor;
    const QString line = QString(999, QLatin1Char('x')) + QLatin1Char('\n');
    for (int i = 0; i < 1100; ++i)
        editor.AppendVerbatim(line);
    editor.AppendVerbatim(QStringLiteral("last"));
    const QString text = editor.toPlainText();
    EXPECT_LE(text.size(), MessagesEditor::kMaxCharacters);
    EXPECT_GT(text.size(), MessagesEditor::kMaxCharacters - 1000);
    EXPECT_TRUE(text.startsWith(line)) << "a line was cut in two";
    EXPECT_TRUE(text.endsWith(QStringLiteral("\nlast")));
}

} // namespace
} // namespace kora::app

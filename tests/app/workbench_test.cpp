// The workbench as a user drives it: the frame, its document windows and the
// core behind them, under the offscreen platform.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "main_form.h"
#include "model_editor.h"
#include "recovery_file.h"
#include "results_table_model.h"
#include "results_table_view.h"
#include "settings_session.h"
#include "solver_info_panel.h"
#include "system_file.h"
#include "workbench_fixture.h"

namespace kora::app {
namespace {

using testing::DialogAnswers;
using testing::kPathway;
using testing::WorkbenchFixture;

// Millions of oscillations: runs until stopped.
const char* const kLongRun = "NAME Fast oscillator\n"
                             "X1' = 300 * X2\nX2' = -300 * X1\n"
                             "X1 = 1\nX2 = 0\ntf = 100000\nhr = 1\n";

class WorkbenchTest : public WorkbenchFixture {
protected:
    static bool RunToEnd(TSystemFile* file) {
        file->document()->AnalysisRunClick();
        return QTest::qWaitFor(
            [file] { return file->document()->HasResults() && !file->document()->IsRunning(); },
            20000);
    }
};

TEST_F(WorkbenchTest, TheSameFileOpensOnceEvenByAnotherPath) {
    ASSERT_NE(Open("a.krm", kPathway), nullptr);
    DialogAnswers boxes({QMessageBox::Ok});
    const QString other = QString::fromStdString((dir_ / "." / "a.krm").string());
    EXPECT_EQ(frame_->OpenByName(other), OpenResult::AlreadyOpen);
    EXPECT_EQ(boxes.texts, QStringList{QStringLiteral("File already open")});
    EXPECT_EQ(SubWindows(), 1);
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("KORA - a.krm"));
}

TEST_F(WorkbenchTest, TheRecentListKeepsTheNineNewestClosedFilesAndNoOpenOne) {
    std::vector<QString> names;
    for (int i = 0; i < 10; ++i) {
        TSystemFile* file = Open("m" + std::to_string(i) + ".krm", kPathway);
        ASSERT_NE(file, nullptr);
        names.push_back(QString::fromStdString(file->document()->fileName()));
        ASSERT_TRUE(frame_->CloseFile(*file));
    }
    ASSERT_EQ(frame_->OpenByName(names[9]), OpenResult::Opened);
    QStringList captions;
    for (QAction* item : frame_->RecentItems())
        captions << item->text();
    QStringList expected;
    for (int i = 8; i >= 1; --i)
        expected << QStringLiteral("&%1 %2").arg(9 - i).arg(names[size_t(i)]);
    EXPECT_EQ(captions, expected);
}

TEST_F(WorkbenchTest, TheWindowsCloseButtonClosesThroughTheSameRules) {
    TSystemFile* file = Open("w.krm", kPathway);
    ASSERT_NE(file, nullptr);
    file->editor()->appendPlainText(QStringLiteral("// changed"));
    DialogAnswers boxes({QMessageBox::No});
    frame_->area()->subWindowList().front()->close();
    ASSERT_TRUE(QTest::qWaitFor([this] { return SubWindows() == 0; }, 5000));
    EXPECT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(frame_->Files().empty());
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("KORA"));
}

TEST_F(WorkbenchTest, RunFillsTheTableWithEveryReportedRow) {
    TSystemFile* file = Open("p.krm", kPathway);
    ASSERT_NE(file, nullptr);
    frame_->Command(QStringLiteral("Run"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [file] { return file->document()->HasResults() && !file->document()->IsRunning(); },
        20000));
    frame_->UpdateCommands(); // as when idle
    frame_->Command(QStringLiteral("Table"))->trigger();
    const ResultsTableModel* table = file->table()->resultsModel();
    ASSERT_EQ(table->rowCount(), 41); // 0 to 20 every 0.5
    ASSERT_EQ(table->columnCount(), 3);
    EXPECT_EQ(table->data(table->index(0, 0)).toString(), QStringLiteral("0"));
    EXPECT_EQ(table->data(table->index(40, 0)).toString(), QStringLiteral("20"));
    EXPECT_EQ(table->data(table->index(0, 1)).toString(), QStringLiteral("1"));
    EXPECT_TRUE(file->document()->results().modified);
    EXPECT_TRUE(file->table()->isVisibleTo(file));
}

TEST_F(WorkbenchTest, AModelErrorSelectsItsStatementInTheEditor) {
    TSystemFile* file = Open("bad.krm", "NAME Bad\n// a comment\nX' = -X\n  y = 3 + * 4\nX = 1\n");
    ASSERT_NE(file, nullptr);
    DialogAnswers report({});
    file->document()->AnalysisRunClick();
    ASSERT_TRUE(QTest::qWaitFor([&report] { return report.otherDialogs == 1; }, 20000));
    EXPECT_EQ(file->editor()->textCursor().selectedText(), QStringLiteral("y = 3 + * 4"));
}

TEST_F(WorkbenchTest, ALongRunRefusesToCloseAndStopKeepsItsRows) {
    TSystemFile* file = Open("long.krm", kLongRun);
    ASSERT_NE(file, nullptr);
    frame_->Command(QStringLiteral("Run"))->trigger();
    auto* bar = file->infoPanel()->findChild<QProgressBar*>();
    ASSERT_TRUE(QTest::qWaitFor([bar] { return bar->value() >= 1; }, 20000));
    EXPECT_FALSE(frame_->Command(QStringLiteral("Run"))->isEnabled());
    EXPECT_TRUE(frame_->Command(QStringLiteral("Stop"))->isEnabled());
    EXPECT_TRUE(file->editor()->isReadOnly());
    {
        DialogAnswers boxes({QMessageBox::Ok});
        EXPECT_FALSE(frame_->CloseFile(*file));
        EXPECT_EQ(boxes.texts.size(), 1);
    }
    EXPECT_EQ(SubWindows(), 1);

    DialogAnswers report({});
    frame_->Command(QStringLiteral("Stop"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([file] { return !file->document()->IsRunning(); }, 20000));
    EXPECT_EQ(report.otherDialogs, 1); // the solver's report of the stop
    const ResultsSet& results = file->document()->results();
    ASSERT_EQ(results.timeCourses.size(), 1u);
    const int32_t rows = results.timeCourses[0].rows;
    EXPECT_GT(rows, 1);
    EXPECT_LT(rows, 100001);
    EXPECT_FALSE(file->editor()->isReadOnly());
}

TEST_F(WorkbenchTest, CancelOnAModifiedCloseKeepsTextAndResults) {
    TSystemFile* file = Open("c.krm", kPathway);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(RunToEnd(file));
    file->editor()->appendPlainText(QStringLiteral("// changed"));
    const QString text = file->editor()->toPlainText();
    DialogAnswers boxes({QMessageBox::Cancel});
    EXPECT_FALSE(frame_->CloseFile(*file));
    EXPECT_EQ(boxes.texts,
              QStringList{QStringLiteral("This file has changed. Saved current changes?")});
    ASSERT_EQ(frame_->Files().size(), 1u);
    EXPECT_EQ(file->editor()->toPlainText(), text);
    EXPECT_TRUE(file->TextModified());
    EXPECT_TRUE(file->document()->HasResults());
}

TEST_F(WorkbenchTest, ExitStopsAtTheFirstCloseTheUserCancels) {
    TSystemFile* first = Open("e1.krm", kPathway);
    TSystemFile* second = Open("e2.krm", kPathway);
    ASSERT_TRUE(first != nullptr && second != nullptr);
    second->editor()->appendPlainText(QStringLiteral("// changed"));
    DialogAnswers boxes({QMessageBox::Cancel});
    EXPECT_FALSE(frame_->close());
    EXPECT_EQ(boxes.texts.size(), 1);
    ASSERT_EQ(frame_->Files(), std::vector<TSystemFile*>{second});
    EXPECT_TRUE(second->TextModified());
}

TEST_F(WorkbenchTest, AFailedSaveKeepsTheTextModifiedAndSavesWithCrLf) {
    TSystemFile* file = Open("s.krm", kPathway);
    ASSERT_NE(file, nullptr);
    file->editor()->appendPlainText(QStringLiteral("// more"));
    const std::string good = file->document()->fileName();
    Write("blocker", "a file, not a folder");
    file->document()->SetFileName((dir_ / "blocker" / "s.krm").string());
    {
        DialogAnswers boxes({QMessageBox::Ok});
        EXPECT_EQ(file->SaveDocument(), "");
        ASSERT_EQ(boxes.texts.size(), 1);
        EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("blocker")));
    }
    EXPECT_TRUE(file->TextModified());
    EXPECT_TRUE(file->editor()->toPlainText().endsWith(QStringLiteral("// more")));

    file->document()->SetFileName(good);
    EXPECT_EQ(file->SaveDocument(), good);
    EXPECT_FALSE(file->TextModified());
    const std::string saved = kora::testing::ReadAll(good);
    EXPECT_NE(saved.find("hr = 0.5\r\n// more\r\n"), std::string::npos);
}

TEST_F(WorkbenchTest, SaveOnAResultsDocumentWritesItsResultsNotAnEmptyText) {
    const auto path = dir_ / "decay.res";
    std::filesystem::copy_file(KORA_EXAMPLES_DIR "/../tests/data/render_decay.res", path);
    ASSERT_NE(OpenResults(path.string()), nullptr);
    DialogAnswers boxes({QMessageBox::Yes});
    frame_->Command(QStringLiteral("Save"))->trigger();
    EXPECT_EQ(boxes.texts.size(), 1); // replace the file?
    EXPECT_NE(kora::testing::ReadAll(path).find("decay"), std::string::npos);
}

TEST_F(WorkbenchTest, AnUnsavedTextIsKeptForRecoveryAndOfferedBack) {
    TSystemFile* file = frame_->NewFile();
    ASSERT_NE(file, nullptr);
    file->editor()->setFocus();
    QTest::keyClicks(file->editor(), QStringLiteral("X' = -X"));
    ASSERT_TRUE(file->recovery()->pending());
    ASSERT_TRUE(file->recovery()->WriteNow());
    // What a crash would leave behind: the copy outlives the window.
    const QString left = recovery_ + QStringLiteral("/crashed.recovery");
    ASSERT_TRUE(QFile::copy(file->recovery()->path(), left));
    {
        DialogAnswers boxes({QMessageBox::No});
        ASSERT_TRUE(frame_->CloseFile(*file));
    }

    DialogAnswers boxes({QMessageBox::Yes});
    frame_->OfferRecoveredTexts();
    ASSERT_EQ(boxes.texts.size(), 1);
    ASSERT_EQ(frame_->Files().size(), 1u);
    TSystemFile* restored = frame_->Files()[0];
    EXPECT_EQ(restored->editor()->toPlainText(), QStringLiteral("X' = -X"));
    EXPECT_TRUE(restored->TextModified());
    EXPECT_FALSE(QFile::exists(left));
}

} // namespace
} // namespace kora::app

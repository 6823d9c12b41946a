// The frame as a new user meets it: results that outlive a steady state or a
// typo, the model's warnings beside the editor, windows placed where they can
// be seen and listed in the Window menu, and dialogs that start where the
// user works.
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <set>

#include "document_status_bar.h"
#include "file_dialog_folder.h"
#include "help_window.h"
#include "main_form.h"
#include "model_editor.h"
#include "model_warnings_list.h"
#include "no_steady_state_model.h"
#include "recovery_file.h"
#include "solver_info_panel.h"
#include "steady_state_window.h"
#include "system_file.h"
#include "workbench_fixture.h"

namespace kora::app {
namespace {

using testing::DialogAnswers;
using testing::kPathway;
using testing::WorkbenchFixture;

class WorkbenchWindowsTest : public WorkbenchFixture {
protected:
    static bool Idle(TSystemFile* file) {
        return QTest::qWaitFor([file] { return !file->document()->IsRunning(); }, 20000);
    }
    static bool RunToEnd(TSystemFile* file) {
        file->document()->AnalysisRunClick();
        return Idle(file) && file->document()->HasResults();
    }
    static void SetText(TSystemFile* file, const QString& text) {
        file->editor()->setPlainText(text);
    }
    QRect Room() const { return frame_->area()->viewport()->rect(); }
    template <class Window> Window* Find() const {
        for (QMdiSubWindow* sub : frame_->area()->subWindowList())
            if (auto* window = qobject_cast<Window*>(sub->widget())) return window;
        return nullptr;
    }
};

// F8 on a model whose steady state would take over a second: the window
// keeps working with "COMPUTING" shown, and Stop ends it without a report.
TEST_F(WorkbenchWindowsTest, SteadyStateComputesWhileTheWindowWorksAndStops) {
    const std::string text = kora::testing::NoSteadyStateText(60);
    TSystemFile* file = Open("endless_ss.krm", text.c_str());
    ASSERT_NE(file, nullptr);
    DialogAnswers answers({QMessageBox::Ok});
    file->document()->AnalysisSSClick();
    ASSERT_TRUE(QTest::qWaitFor(
        [file] { return file->statusBar()->panelText(0) == QStringLiteral("COMPUTING"); }, 20000));
    EXPECT_TRUE(file->document()->IsRunning());
    file->document()->StopMenuClick();
    ASSERT_TRUE(Idle(file));
    ASSERT_EQ(answers.reportTexts.size(), 1);
    EXPECT_TRUE(answers.reportTexts[0].contains(QStringLiteral("Solution aborted by user.")))
        << answers.reportTexts[0].toStdString();
    EXPECT_EQ(Find<TSsDlg>(), nullptr);
    EXPECT_EQ(file->statusBar()->panelText(0), QString());
}

TEST_F(WorkbenchWindowsTest, ResultsStayShownAcrossSteadyStateAndAFailedRun) {
    TSystemFile* file = Open("kept.krm");
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(RunToEnd(file));
    const int32_t rows = file->document()->results().timeCourses.at(0).rows;

    file->document()->AnalysisSSClick();
    ASSERT_TRUE(Idle(file));
    EXPECT_NE(Find<TSsDlg>(), nullptr);
    EXPECT_TRUE(file->document()->HasUnsavedResults());
    EXPECT_TRUE(file->resultsPaneShown());

    SetText(file, QString::fromLatin1(kPathway).replace(QStringLiteral("0.8 * X1^0.5 - X2"),
                                                        QStringLiteral("0.8 * X1^0.5 - Km3")));
    DialogAnswers answers({QMessageBox::Ok});
    file->document()->AnalysisRunClick();
    ASSERT_TRUE(Idle(file));
    ASSERT_EQ(answers.reportTexts.size(), 1);
    // The place and the unknown name, in the words of kora-batch.
    EXPECT_TRUE(answers.reportTexts[0].contains(QStringLiteral("kept.krm:3:22: Unexpected")))
        << answers.reportTexts[0].toStdString();
    EXPECT_TRUE(answers.reportTexts[0].contains(QStringLiteral("(unknown name 'Km3')")));
    ASSERT_TRUE(file->document()->HasResults());
    EXPECT_EQ(file->document()->results().timeCourses.at(0).rows, rows);
    EXPECT_TRUE(file->resultsPaneShown());
}

TEST_F(WorkbenchWindowsTest, WarningsAreListedAndSelectTheirLine) {
    TSystemFile* file = Open("warn.krm", "NAME warned\nX' = -X\nX = 1\ntf 40\n!! X, Xx\n");
    ASSERT_NE(file, nullptr);
    ModelWarningsList* list = file->warningsList();
    EXPECT_TRUE(list->isHidden());
    ASSERT_TRUE(RunToEnd(file)); // the warnings never stop the run
    ASSERT_FALSE(list->isHidden());
    ASSERT_EQ(list->model()->rowCount(), 2);
    EXPECT_EQ(list->model()->item(0)->text(),
              QStringLiteral("Line 4: not a statement, ignored: tf 40"));
    const QModelIndex second = list->model()->index(1, 0);
    const QRect at = list->view()->visualRect(second);
    QTest::mouseClick(list->view()->viewport(), Qt::LeftButton, {}, at.center());
    EXPECT_EQ(file->editor()->textCursor().selectedText(), QStringLiteral("!! X, Xx"));

    SetText(file, QString::fromLatin1(kPathway));
    ASSERT_TRUE(RunToEnd(file));
    EXPECT_TRUE(list->isHidden());
}

TEST_F(WorkbenchWindowsTest, NewWindowsCascadeInsideTheArea) {
    frame_->resize(1024, 720);
    QCoreApplication::processEvents();
    for (int i = 0; i < 7; ++i)
        ASSERT_NE(frame_->NewFile(), nullptr);
    std::set<int> steps;
    for (QMdiSubWindow* sub : frame_->area()->subWindowList()) {
        EXPECT_TRUE(Room().contains(sub->geometry())) << sub->x() << "," << sub->y();
        steps.insert(sub->x());
    }
    EXPECT_GT(steps.size(), 2u); // stepped, not stacked
}

TEST_F(WorkbenchWindowsTest, TheWindowMenuListsEveryWindowWithTheActiveOneChecked) {
    TSystemFile* first = Open("one.krm");
    TSystemFile* second = Open("two.krm");
    ASSERT_NE(second, nullptr);
    QList<QAction*> items = frame_->WindowItems();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&1 one.krm"));
    EXPECT_FALSE(items[0]->isChecked());
    EXPECT_TRUE(items[1]->isChecked());
    items[0]->trigger();
    EXPECT_EQ(frame_->ActiveFile(), first);

    // Usable while a report window is active, and Ctrl+Tab goes round.
    first->document()->AnalysisSSClick();
    ASSERT_TRUE(Idle(first));
    ASSERT_EQ(SubWindows(), 3);
    EXPECT_TRUE(frame_->Command(QStringLiteral("Cascade"))->isEnabled());
    EXPECT_TRUE(frame_->WindowItems()[2]->isChecked());
    // Shortcuts reach only the active top-level window.
    frame_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    QTest::keyClick(frame_->area()->currentSubWindow()->widget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(frame_->ActiveFile(), first);
    QTest::keyClick(first->editor(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(frame_->ActiveFile(), second);
    QTest::keyClick(second->editor(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(frame_->ActiveFile(), first);
    QTest::keyClick(first->editor(), Qt::Key_F6, Qt::ControlModifier);

    EXPECT_EQ(frame_->ActiveFile(), second);
}

TEST_F(WorkbenchWindowsTest, TheCloseButtonOfAReportRemovesItsWholeFrame) {
    TSystemFile* file = Open("ss.krm");
    ASSERT_NE(file, nullptr);
    file->document()->AnalysisSSClick();
    ASSERT_TRUE(Idle(file));
    TSsDlg* report = Find<TSsDlg>();
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(SubWindows(), 2);
    report->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    EXPECT_TRUE(QTest::qWaitFor([this] { return SubWindows() == 1; }));
    EXPECT_EQ(frame_->ActiveFile(), file);
    EXPECT_TRUE(frame_->Command(QStringLiteral("Run"))->isEnabled());
}

TEST_F(WorkbenchWindowsTest, AResultsFileOpenedOverAMaximizedWindowComesInFront) {
    TSystemFile* model = Open("max.krm");
    ASSERT_NE(model, nullptr);
    ASSERT_TRUE(RunToEnd(model));
    const std::string res = (dir_ / "max.res").string();
    std::string reason;
    ASSERT_TRUE(model->document()->SaveResults(res, reason)) << reason;
    qobject_cast<QMdiSubWindow*>(model->parentWidget())->showMaximized();
    TSystemFile* opened = OpenResults(res);
    ASSERT_NE(opened, nullptr);
    ASSERT_NE(opened, model);
    const QList<QMdiSubWindow*> stack = frame_->area()->subWindowList(QMdiArea::StackingOrder);
    EXPECT_EQ(stack.back()->widget(), opened);
}

TEST_F(WorkbenchWindowsTest, FileDialogsStartInTheDocumentsFolderAndRememberTheLast) {
    std::filesystem::create_directories(dir_ / "models");
    TSystemFile* file = Open("models/f.krm");
    ASSERT_NE(file, nullptr);
    frame_->UpdateCommands();
    const QString models = QString::fromStdString((dir_ / "models").string());
    EXPECT_EQ(FileDialogFolder::StartPath(), models);

    // A new model offers its NAME, in the folder used last.
    FileDialogFolder::Remember(models + QStringLiteral("/f.krm"));
    EXPECT_EQ(session_.settings().openDir, models.toStdString());
    TSystemFile* fresh = frame_->NewFile();
    SetText(fresh, QString::fromLatin1(kPathway));
    frame_->UpdateCommands();
    const QString chosen = models + QStringLiteral("/pathway.krm");
    DialogAnswers answers({QMessageBox::Ok}, chosen);
    fresh->document()->AnalysisRunClick();
    ASSERT_TRUE(Idle(fresh));
    ASSERT_EQ(answers.startPaths.size(), 1);
    EXPECT_EQ(answers.startPaths[0], models + QStringLiteral("/Two-step pathway.krm"));
    EXPECT_EQ(fresh->document()->fileName(), chosen.toStdString());
    EXPECT_TRUE(fresh->document()->HasResults());
}

TEST_F(WorkbenchWindowsTest, TheRecoveryQuestionSaysWhatEachButtonDoes) {
    RecoveryFile left(recovery_, [] { return QStringLiteral("X' = -X"); });
    left.NoteChanged();
    left.WriteNow();
    DialogAnswers answers({QMessageBox::Cancel});
    frame_->OfferRecoveredTexts();
    EXPECT_TRUE(answers.buttonTexts.contains(QStringLiteral("&Restore")));
    EXPECT_TRUE(answers.buttonTexts.contains(QStringLiteral("&Discard")));
    EXPECT_TRUE(answers.buttonTexts.contains(QStringLiteral("Decide &later")));
    EXPECT_EQ(RecoveryFile::List(recovery_).size(), 1u); // decided later: kept
    RecoveryFile::Remove(RecoveryFile::List(recovery_).front().path);
}

TEST_F(WorkbenchWindowsTest, NoMenuTakesTheMnemonicOfTheReportsSaveButton) {
    for (QAction* menu : frame_->menuBar()->actions())
        EXPECT_FALSE(menu->text().contains(QStringLiteral("&S"), Qt::CaseInsensitive))
            << menu->text().toStdString();
}

TEST(SolverInfoPanel, ShowsMillisecondsBelowTenSeconds) {
    EXPECT_EQ(SolverInfoPanel::ElapsedText(0), QStringLiteral("0 ms"));
    EXPECT_EQ(SolverInfoPanel::ElapsedText(9999), QStringLiteral("9999 ms"));
    EXPECT_EQ(SolverInfoPanel::ElapsedText(12345), QStringLiteral("12 s"));
}

TEST(HelpWindow, HasATableOfContentsAndFindsText) {
    HelpWindow help;
    ASSERT_GT(help.contents()->topLevelItemCount(), 0);
    QTreeWidgetItem* last = help.contents()->topLevelItem(help.contents()->topLevelItemCount() - 1);
    emit help.contents()->itemClicked(last, 0);
    EXPECT_EQ(help.browser()->textCursor().block().text(), last->text(0));
    EXPECT_TRUE(help.FindNext(QStringLiteral("SCRIPT")));
    EXPECT_FALSE(help.FindNext(QStringLiteral("no such words in the guide")));
}

} // namespace
} // namespace kora::app

// The workbench's links between windows, settings and the SBML converter,
// driven as a user would under the offscreen platform.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

#include "main_form.h"
#include "model_editor.h"
#include "plot_pane.h"
#include "sbml/sbml_exchange.h"
#include "settings_session.h"
#include "steady_state_window.h"
#include "system_file.h"
#include "workbench_fixture.h"

namespace kora::app {
namespace {

using testing::DialogAnswers;
using testing::WorkbenchFixture;

class WorkbenchWiringTest : public WorkbenchFixture {
protected:
    static bool Settled(TSystemFile* file) {
        return QTest::qWaitFor([file] { return !file->document()->IsRunning(); }, 20000);
    }
};

TEST_F(WorkbenchWiringTest, AnSbmlFileOpensAsAnUnsavedModelAndExportsBack) {
    if (!SbmlAvailable()) GTEST_SKIP() << "built without SBML";
    const auto source = dir_ / "chain.xml";
    std::filesystem::copy_file(KORA_EXAMPLES_DIR "/../tests/data/sbml/mass_action_l3.xml", source);
    ASSERT_EQ(frame_->OpenByName(QString::fromStdString(source.string())), OpenResult::Opened);
    TSystemFile* file = frame_->ActiveFile();
    ASSERT_NE(file, nullptr);
    const QString text = file->editor()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("A' =")) && text.contains(QStringLiteral("k1")))
        << text.toStdString();
    EXPECT_TRUE(file->TextModified());
    EXPECT_EQ(file->document()->fileName(), (dir_ / "chain.krm").string());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "chain.krm"));

    const auto exported = dir_ / "out.xml";
    {
        DialogAnswers answers({QMessageBox::Yes}, QString::fromStdString(exported.string()));
        frame_->Command(QStringLiteral("Export SBML..."))->trigger();
    }
    std::string again;
    std::vector<std::string> problems;
    ASSERT_EQ(ImportSbmlFile(exported.string(), again, problems), SbmlStatus::Ok);
    EXPECT_NE(again.find("A'"), std::string::npos);

    // A second conversion never takes over the model file name now in use.
    ASSERT_EQ(frame_->OpenByName(QString::fromStdString(source.string())), OpenResult::Opened);
    EXPECT_TRUE(frame_->ActiveFile()->document()->fileName().empty());
}

TEST_F(WorkbenchWiringTest, AThresholdChosenInAReportIsKeptForTheNextOne) {
    TSystemFile* file = Open("ss.krm");
    ASSERT_NE(file, nullptr);
    frame_->Command(QStringLiteral("Steady State"))->trigger();
    TSsDlg* report = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (QMdiSubWindow* sub : frame_->area()->subWindowList())
                if (auto* found = qobject_cast<TSsDlg*>(sub->widget())) report = found;
            return report != nullptr;
        },
        20000));
    report->thresholdCombo()->setCurrentIndex(3);
    EXPECT_EQ(session_.settings().sensThreshold, 3);
    EXPECT_EQ(frame_->workspace().settings().sensThreshold, 3);
}

TEST_F(WorkbenchWiringTest, SavingResultsRefreshesAnotherWindowOnTheSameFile) {
    const auto path = dir_ / "decay.res";
    std::filesystem::copy_file(KORA_EXAMPLES_DIR "/../tests/data/render_decay.res", path);
    TSystemFile* shown = OpenResults(path.string());
    ASSERT_NE(shown, nullptr);
    TSystemFile* model = Open("p.krm");
    ASSERT_NE(model, nullptr);
    model->document()->AnalysisRunClick();
    ASSERT_TRUE(Settled(model));
    ResultsSet& saved = model->document()->results();
    saved.fileName = path.string();
    session_.settings().noWarnOverwritingResults = true;
    frame_->workspace().SettingsChanged(session_.settings());
    frame_->UpdateCommands();
    frame_->Command(QStringLiteral("SaveUnderName"))->trigger();
    ASSERT_TRUE(Settled(model));
    const ResultsSet& refreshed = shown->document()->results();
    ASSERT_EQ(refreshed.timeCourses.size(), saved.timeCourses.size());
    EXPECT_EQ(refreshed.timeCourses.front().rows, saved.timeCourses.front().rows);
    EXPECT_FALSE(refreshed.modified);
}

TEST_F(WorkbenchWiringTest, ADoubleClickOnALabelOpensTheValueEditorOnlyWhenIdle) {
    TSystemFile* file = Open("h.krm");
    ASSERT_NE(file, nullptr);
    file->document()->AnalysisRunClick();
    ASSERT_TRUE(Settled(file));
    PlotPane* plot = file->plotPane();
    plot->repaint();
    const PixelRect spot = plot->hotSpots().areas[0];
    ASSERT_FALSE(spot.IsEmpty());
    const QPoint centre((spot.left + spot.right) / 2, (spot.top + spot.bottom) / 2);
    DialogAnswers answers({QMessageBox::Cancel});
    file->SetRunning(true);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, centre);
    EXPECT_TRUE(answers.classes.isEmpty());
    file->SetRunning(false);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, centre);
    EXPECT_EQ(answers.classes, QStringList{QStringLiteral("kora::app::TSEditForm")});
}

} // namespace
} // namespace kora::app

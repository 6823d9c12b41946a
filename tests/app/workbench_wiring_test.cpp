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
#include "temp_files.h"

namespace kora::app {
namespace {

const char* const kPathway = "NAME Two-step pathway\n"
                             "X1' = 2.5 * X2^-0.5 - 0.8 * X1^0.5\n"
                             "X2' = 0.8 * X1^0.5 - X2\n"
                             "X1 = 1\nX2 = 0.5\ntf = 20\nhr = 0.5\n";

// Answers the next modal dialog: a message box with `button`, a file
// dialog with `fileName`.
class DialogAnswers : public QObject {
public:
    DialogAnswers(QMessageBox::StandardButton button, QString fileName = {})
        : button_(button), fileName_(std::move(fileName)) {
        connect(&timer_, &QTimer::timeout, this, [this] { Answer(); });
        timer_.start(5);
    }
    QStringList texts;
    QStringList classes;

private:
    void Answer() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) return;
        classes << QString::fromLatin1(dialog->metaObject()->className());
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            texts << box->text();
            box->button(box->standardButtons() & button_ ? button_ : QMessageBox::Ok)->click();
        } else if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
            files->selectFile(fileName_);
            dialog->accept(); // through QDialog: public there
        } else {
            dialog->accept();
        }
    }
    QMessageBox::StandardButton button_;
    QString fileName_;
    QTimer timer_;
};

class WorkbenchWiringTest : public kora::testing::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        std::string error;
        ASSERT_TRUE(session_.Load(Write("settings.ini", "").string(), error)) << error;
        frame_ =
            std::make_unique<TMainForm>(session_, QString::fromStdString((dir_ / "r").string()));
        frame_->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        for (TSystemFile* file : frame_->Files())
            file->document()->StopMenuClick();
        EXPECT_TRUE(QTest::qWaitFor([this] {
            for (TSystemFile* file : frame_->Files())
                if (file->document()->IsRunning()) return false;
            return true;
        }));
        DialogAnswers discard(QMessageBox::No);
        frame_.reset();
        TempDirTest::TearDown();
    }
    TSystemFile* OpenModel(const std::string& name) {
        const QString path = QString::fromStdString(Write(name, kPathway).string());
        return frame_->OpenByName(path) == OpenResult::Opened ? frame_->ActiveFile() : nullptr;
    }
    static bool Settled(TSystemFile* file) {
        return QTest::qWaitFor([file] { return !file->document()->IsRunning(); }, 20000);
    }

    SettingsSession session_;
    std::unique_ptr<TMainForm> frame_;
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
        DialogAnswers answers(QMessageBox::Yes, QString::fromStdString(exported.string()));
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
    TSystemFile* file = OpenModel("ss.krm");
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
    ASSERT_EQ(frame_->OpenByName(QString::fromStdString(path.string())), OpenResult::Opened);
    TSystemFile* shown = frame_->ActiveFile();
    TSystemFile* model = OpenModel("p.krm");
    ASSERT_NE(model, nullptr);
    model->document()->AnalysisRunClick();
    ASSERT_TRUE(Settled(model));
    ResultsSet& saved = model->document()->results();
    saved.fileName = path.string();
    session_.settings().noWarnOverwritingResults = true;
    frame_->workspace().SettingsChanged(session_.settings());
    frame_->UpdateCommands();
    frame_->Command(QStringLiteral("SaveUnderName"))->trigger();
    const ResultsSet& refreshed = shown->document()->results();
    ASSERT_EQ(refreshed.timeCourses.size(), saved.timeCourses.size());
    EXPECT_EQ(refreshed.timeCourses.front().rows, saved.timeCourses.front().rows);
    EXPECT_FALSE(refreshed.modified);
}

TEST_F(WorkbenchWiringTest, ADoubleClickOnALabelOpensTheValueEditorOnlyWhenIdle) {
    TSystemFile* file = OpenModel("h.krm");
    ASSERT_NE(file, nullptr);
    file->document()->AnalysisRunClick();
    ASSERT_TRUE(Settled(file));
    PlotPane* plot = file->plotPane();
    plot->repaint();
    const PixelRect spot = plot->hotSpots().areas[0];
    ASSERT_FALSE(spot.IsEmpty());
    const QPoint centre((spot.left + spot.right) / 2, (spot.top + spot.bottom) / 2);
    DialogAnswers answers(QMessageBox::Cancel);
    file->SetRunning(true);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, centre);
    EXPECT_TRUE(answers.classes.isEmpty());
    file->SetRunning(false);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, centre);
    EXPECT_EQ(answers.classes, QStringList{QStringLiteral("kora::app::TSEditForm")});
}

} // namespace
} // namespace kora::app

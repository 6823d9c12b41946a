#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <sstream>

#include "batch_process.h"
#include "model_preflight.h"
#include "numeric/krmform_ss.h"
#include "report_grid_model.h"
#include "report_grid_view.h"
#include "steady_state_window.h"

namespace kora::app {
namespace {

// A report built from model lines the way the batch tool builds it, with the
// default settings.
SsReport ReportOf(const TextLines& lines) {
    cli::PreflightModel prepared;
    prepared.fileName = "model.krm";
    prepared.fileLines = lines;
    std::ostringstream err;
    EXPECT_TRUE(cli::BuildPreflightModel(prepared, false, {}, Settings{}, err)) << err.str();
    const bool powerLaw = prepared.model.BuildForm();
    KRMForm_ss computation(prepared.form, prepared.model);
    computation.compute(powerLaw);
    SsReport report;
    const Settings defaults;
    report.Fill(prepared.form, prepared.model, defaults.ssPrec, defaults.sensThreshold,
                computation);
    return report;
}

const TextLines kGma = {
    "X1' = 2 * X3 + 0.5 * X2^0.3 - X1^0.7 - 0.4 * X1 * X2^(-0.2)",
    "X2' = 0.4 * X1 * X2^(-0.2) - 1.3 * X2^0.6",
    "X1 = 1",
    "X2 = 1",
    "X3 = 1e8",
    "&& X3",
};

QStringList BodyTexts(const ReportGridView& view) {
    QStringList texts;
    const QAbstractItemModel& model = *view.model();
    for (int row = 0; row < model.rowCount(); ++row)
        for (int column = 0; column < model.columnCount(); ++column)
            texts << model.data(model.index(row, column)).toString();
    return texts;
}

bool ThresholdControlsShown(const TSsDlg& window) {
    return !window.thresholdCombo()->isHidden() &&
           !window.findChild<QLabel*>(QStringLiteral("AbsoluteLabel"))->isHidden();
}

TEST(SteadyStateWindow, ThresholdTenHidesSmallSensitivitiesAndZeroRestoresThem) {
    TSsDlg window(ReportOf(kGma), QStringLiteral("Steady state for gma.krm"), {});
    int chosen = -1;
    QObject::connect(&window, &TSsDlg::thresholdChosen, [&chosen](int index) { chosen = index; });
    EXPECT_EQ(window.pages()->currentIndex(), static_cast<int>(ReportPage::SteadyState));
    EXPECT_FALSE(ThresholdControlsShown(window));
    window.pages()->setCurrentIndex(static_cast<int>(ReportPage::FluxSensitivities));
    EXPECT_TRUE(ThresholdControlsShown(window));

    const ReportGridView& fluxes = *window.gridView(ReportPage::FluxSensitivities);
    const QStringList all = BodyTexts(fluxes);
    window.thresholdCombo()->setCurrentIndex(8);
    EXPECT_EQ(chosen, 8);
    const QStringList filtered = BodyTexts(fluxes);
    ASSERT_EQ(filtered.size(), all.size());
    int hidden = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const bool small = std::abs(all[i].toDouble()) < 10;
        EXPECT_EQ(filtered[i], small ? QStringLiteral("  ---") : all[i]) << all[i].toStdString();
        hidden += small ? 1 : 0;
    }
    EXPECT_GT(hidden, 0);
    EXPECT_LT(hidden, all.size());
    window.thresholdCombo()->setCurrentIndex(0);
    EXPECT_EQ(BodyTexts(fluxes), all);
}

TEST(SteadyStateWindow, CopiesTheReportsTextsAndSelectsByHeadings) {
    TSsDlg window(ReportOf(kGma), QStringLiteral("Steady state for gma.krm"), {});
    ReportGridView& steady = *window.gridView(ReportPage::SteadyState);
    steady.selectionModel()->select(steady.model()->index(1, 0), QItemSelectionModel::Select);
    QApplication::clipboard()->clear();
    QTest::keyClick(&steady, Qt::Key_C, Qt::ControlModifier);
    const ReportGrid& grid = window.report().ssVarsGrid;
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "X2 = " + grid.Cell(1, 2));
    QApplication::clipboard()->clear();
    QTest::keyClick(&steady, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());

    // A double click on a label selects that row's values.
    ReportGridView& variables = *window.gridView(ReportPage::VariableSensitivities);
    window.show();
    window.pages()->setCurrentIndex(static_cast<int>(ReportPage::VariableSensitivities));
    QHeaderView& labels = *variables.verticalHeader();
    const QPoint second(labels.width() / 2, labels.sectionViewportPosition(1) + 2);
    QTest::mouseDClick(labels.viewport(), Qt::LeftButton, {}, second);
    const std::optional<GridSelection> row = variables.Selection();
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->top, 2u);
    EXPECT_EQ(row->bottom, 2u);
    EXPECT_EQ(row->left, 1u);
    EXPECT_EQ(row->right, window.report().sVarsGrid.ColumnCount() - 1);
}

TEST(SteadyStateWindow, SavesWhatTheBatchToolSaves) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("kora_ss_window_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string model = std::string(KORA_EXAMPLES_DIR) + "/feedback_s_system.krm";
    TextLines lines;
    ASSERT_EQ(ReadTextLines(model, lines), TextReadStatus::Ok);
    TSsDlg window(ReportOf(lines), QStringLiteral("Steady state for feedback_s_system.krm"),
                  QString::fromStdString(model));
    const std::filesystem::path saved = dir / "window.txt";
    ASSERT_TRUE(window.SaveTo(QString::fromStdString(saved.string())).isEmpty());
    const std::string text = testing::ReadAll(saved);
    EXPECT_EQ(text.rfind(window.report().info + "\r\n\t\r\nSteady state:\r\n", 0), 0u) << text;

    std::ofstream(dir / "defaults.ini") << "[General]\n";
    const std::filesystem::path batch = dir / "batch.txt";
    const testing::BatchOutcome outcome =
        testing::RunBatch(dir, "ss " + testing::Quoted(model) + " -o " + testing::Quoted(batch) +
                                   " --settings " + testing::Quoted(dir / "defaults.ini"));
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(text, testing::ReadAll(batch));
    std::filesystem::remove_all(dir);
}

TEST(SteadyStateWindow, ANonPowerLawModelHasNoFluxesAndNoSensitivityPages) {
    TSsDlg window(ReportOf({"X1' = 2 / (1 + X2) - X1", "X2' = X1 - X2", "X1 = 0.5", "X2 = 2"}),
                  QStringLiteral("Steady state for m.krm"), {});
    const QAbstractItemModel& steady = *window.gridView(ReportPage::SteadyState)->model();
    ASSERT_EQ(steady.rowCount(), 2);
    EXPECT_EQ(steady.data(steady.index(0, 1)).toString(), "N/A");
    EXPECT_EQ(steady.data(steady.index(1, 2)).toString(), "N/A");
    const QTabWidget& pages = *window.pages();
    EXPECT_TRUE(pages.isTabVisible(static_cast<int>(ReportPage::Eigenvalues)));
    EXPECT_FALSE(pages.isTabVisible(static_cast<int>(ReportPage::VariableSensitivities)));
    EXPECT_FALSE(pages.isTabVisible(static_cast<int>(ReportPage::FluxSensitivities)));
}

TEST(SteadyStateWindow, ShowsRelationsTheirZeroEigenvaluesAndTheVerdict) {
    TSsDlg plain(ReportOf(kGma), QStringLiteral("Steady state for gma.krm"), {});
    auto* verdict = plain.findChild<QLabel*>(QStringLiteral("VerdictLabel"));
    ASSERT_NE(verdict, nullptr);
    EXPECT_EQ(verdict->text(), QStringLiteral("Stable steady state"));
    EXPECT_EQ(plain.findChild<QLabel*>(QStringLiteral("RelationsNote")), nullptr);

    TSsDlg moieties(ReportOf({"A' = k*B - A", "B' = A - k*B", "A = 1", "B = 2", "k = 0.5"}),
                    QStringLiteral("Steady state for cycle.krm"), {});
    auto* relations = moieties.findChild<QLabel*>(QStringLiteral("RelationsNote"));
    ASSERT_NE(relations, nullptr);
    EXPECT_TRUE(relations->text().endsWith(QStringLiteral("\n1: A + B = 3")))
        << relations->text().toStdString();
    auto* zeros = moieties.findChild<QLabel*>(QStringLiteral("ZeroEigenNote"));
    ASSERT_NE(zeros, nullptr);
    EXPECT_TRUE(zeros->text().contains(QStringLiteral("1 zero eigenvalue")));
    EXPECT_NE(moieties.findChild<QLabel*>(QStringLiteral("TotalsHeldNote")), nullptr);
    EXPECT_EQ(moieties.findChild<QLabel*>(QStringLiteral("VerdictLabel"))->text(),
              QStringLiteral("Stable steady state"));
}

TEST(SteadyStateWindow, WithoutASteadyStateOnlyTheModelIsShownAndEscCloses) {
    auto* window = new TSsDlg(ReportOf({"X1' = 1 + X1*X2", "X2' = X1 - X2", "X1 = 1", "X2 = 1"}),
                              QStringLiteral("Steady state for none.krm"), {});
    QPointer<TSsDlg> alive(window);
    const QTabWidget& pages = *window->pages();
    EXPECT_EQ(pages.currentIndex(), static_cast<int>(ReportPage::General));
    for (int page = 1; page < pages.count(); ++page)
        EXPECT_FALSE(pages.isTabVisible(page)) << page;
    EXPECT_FALSE(window->findChild<QLabel*>(QStringLiteral("NoSSPanel"))->isHidden());
    EXPECT_TRUE(window->findChild<QLabel*>(QStringLiteral("SingWarnPanel"))->isHidden());
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("info"))->text(),
              "System is a binary GMA.");

    QTest::keyClick(window->gridView(ReportPage::General), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
}

} // namespace
} // namespace kora::app

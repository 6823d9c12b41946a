// Analysis > Fit to Data: the parameter table from the model, a fit on the
// worker thread, the data drawn over the plot, and one undoable write of the
// fitted values.
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

#include "fit_dialog.h"
#include "fit_parameter_model.h"
#include "model_editor.h"
#include "plot_pane.h"
#include "solve/system_document.h"
#include "workbench_fixture.h"

namespace kora::app {
namespace {

using testing::WorkbenchFixture;

const char* kDecay = "k = 0.2 // rate\nX' = -k * X\nX = 1\ntf = 4\nhr = 0.5\n";

class FitDialogTest : public WorkbenchFixture {};

TEST_F(FitDialogTest, FitsDrawsTheDataAndWritesTheValuesUndoably) {
    TSystemFile* file = Open("decay.krm", kDecay);
    ASSERT_NE(file, nullptr);
    const auto data = Write("decay.csv", "t,X\n0,1\n1,0.60653066\n2,0.36787944\n4,0.13533528\n");
    TFitDialog dialog(*file, session_.settings());
    FitParameterModel* parameters = dialog.parameterModel();
    ASSERT_EQ(parameters->rowCount(), 2); // k and the initial value of X
    EXPECT_EQ(parameters->data(parameters->index(0, FitParameterModel::kName), Qt::DisplayRole),
              QStringLiteral("k"));
    EXPECT_EQ(parameters->data(parameters->index(1, FitParameterModel::kName), Qt::DisplayRole),
              QStringLiteral("X (initial)"));
    EXPECT_EQ(parameters->data(parameters->index(0, FitParameterModel::kLow), Qt::DisplayRole),
              QStringLiteral("0.002"));

    {
        testing::DialogAnswers answers({QMessageBox::Ok});
        EXPECT_FALSE(dialog.StartFit()); // nothing checked: refused with a box
        EXPECT_EQ(answers.texts,
                  QStringList{QStringLiteral("Check at least one parameter to fit.")});
    }
    parameters->setData(parameters->index(0, FitParameterModel::kFit), Qt::Checked,
                        Qt::CheckStateRole);
    dialog.AddDataFiles({QString::fromStdString(data.string())});
    ASSERT_TRUE(dialog.StartFit());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.running(); }, 20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.result().parameters.empty(); }, 5000));
    EXPECT_NEAR(dialog.result().parameters[0].value, 0.5, 1e-6);
    EXPECT_EQ(dialog.resultTable()->item(0, 0)->text(), QStringLiteral("k"));
    EXPECT_TRUE(dialog.progressLabel()->text().startsWith(QStringLiteral("Converged")));
    ASSERT_EQ(file->plotPane()->dataMarkers().size(), 1u);
    EXPECT_EQ(file->plotPane()->dataMarkers()[0].times.size(), 4u);

    dialog.WriteValuesIntoModel();
    EXPECT_TRUE(file->editor()->toPlainText().startsWith(QStringLiteral("k = 0.5")))
        << file->editor()->toPlainText().toStdString();
    EXPECT_TRUE(file->editor()->toPlainText().contains(QStringLiteral("// rate")));
    ASSERT_TRUE(QTest::qWaitFor(
        [file] { return file->document()->HasResults() && !file->document()->IsRunning(); },
        20000));
    file->editor()->undo();
    EXPECT_TRUE(file->editor()->toPlainText().startsWith(QStringLiteral("k = 0.2 // rate")));
}

} // namespace
} // namespace kora::app

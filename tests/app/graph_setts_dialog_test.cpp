#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "graph_setts_dialog.h"
#include "results/brightness_spread.h"

namespace kora::app {
namespace {

using D = TGraphSettsDialog;

TimeCourse Course(const std::string& title) {
    TimeCourse course(3, title);
    course.names = {"t", "X", "Y"};
    return course;
}

// Rows: A:X, A:Y, B:X, B:Y.
ResultsSet TwoCourses() {
    ResultsSet set;
    set.timeCourses.push_back(Course("A"));
    set.timeCourses.push_back(Course("B"));
    return set;
}

void Click(D& dialog, int row, int column, Qt::KeyboardModifiers modifiers = {}) {
    QTableWidget* grid = dialog.grid();
    const QRect cell = grid->visualItemRect(grid->item(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cell.center());
}

TEST(LineSettings, ClicksToggleVisibilityAndStepStylesBothWays) {
    ResultsSet set = TwoCourses();
    int32_t sameInAll = 0;
    D dialog(set, kViewTimePlot, sameInAll);
    dialog.show(); // the cells need their places
    ASSERT_EQ(dialog.grid()->rowCount(), 4);
    EXPECT_EQ(dialog.grid()->item(2, D::kLineColumn)->text(), "B:X");
    Click(dialog, 0, D::kStyleColumn);
    EXPECT_EQ(dialog.record(0).style, 2);
    Click(dialog, 0, D::kStyleColumn, Qt::ShiftModifier);
    Click(dialog, 0, D::kStyleColumn, Qt::ShiftModifier);
    EXPECT_EQ(dialog.record(0).style, 6);
    Click(dialog, 0, D::kStyleColumn);
    EXPECT_EQ(dialog.record(0).style, 1);
    Click(dialog, 1, D::kVisibleColumn);
    EXPECT_FALSE(dialog.record(1).visible);
    Click(dialog, 1, D::kStyleColumn); // a hidden line keeps its style
    EXPECT_EQ(dialog.record(1).style, 1);
    EXPECT_TRUE(dialog.record(3).visible); // nothing spreads without a button
    Click(dialog, 2, D::kStyleColumn);

    dialog.reject();
    EXPECT_EQ(set.timeCourses[0].lineStyles[2].visible, true);
    EXPECT_EQ(set.timeCourses[1].lineStyles[1].style, 1);

    D again(set, kViewTimePlot, sameInAll);
    again.show();
    Click(again, 1, D::kVisibleColumn);
    Click(again, 2, D::kStyleColumn, Qt::ShiftModifier);
    again.accept();
    EXPECT_FALSE(set.timeCourses[0].lineStyles[2].visible);
    EXPECT_EQ(set.timeCourses[1].lineStyles[1].style, 6);
}

TEST(LineSettings, TheToggleButtonsSpreadChangesToRelatedLines) {
    ResultsSet set = TwoCourses();
    int32_t sameInAll = 1;
    D dialog(set, kViewTimePlot, sameInAll);
    dialog.show();
    EXPECT_EQ(dialog.spread(), D::kSpreadSame);
    Click(dialog, 0, D::kStyleColumn);
    EXPECT_EQ(dialog.record(2).style, 2); // B:X follows A:X
    EXPECT_EQ(dialog.record(1).style, 1);
    Click(dialog, 1, D::kColourColumn); // copies the colour, no dialog
    EXPECT_EQ(dialog.record(3).colour, dialog.record(1).colour);

    QTest::mouseClick(dialog.spreadButton(D::kSpreadBrighter), Qt::LeftButton);
    EXPECT_EQ(dialog.spread(), D::kSpreadBrighter);
    const Colour red = dialog.record(0).colour;
    Click(dialog, 0, D::kColourColumn);
    EXPECT_EQ(dialog.record(0).colour, SpreadBrightness(red, 2, true)[0]);
    EXPECT_EQ(dialog.record(2).colour, SpreadBrightness(red, 2, true)[1]);

    QTest::mouseClick(dialog.spreadButton(D::kSpreadDarker), Qt::LeftButton);
    EXPECT_EQ(dialog.spread(), D::kSpreadDarker);
    const Colour second = dialog.record(1).colour;
    Click(dialog, 1, D::kColourColumn);
    EXPECT_EQ(dialog.record(3).colour, SpreadBrightness(second, 2, false)[1]);
    QTest::mouseClick(dialog.spreadButton(D::kSpreadDarker), Qt::LeftButton);
    EXPECT_EQ(dialog.spread(), D::kSpreadNone);
    dialog.accept();
    EXPECT_EQ(sameInAll, 0);
    EXPECT_EQ(set.timeCourses[1].lineStyles[1].style, 2);
}

} // namespace
} // namespace kora::app

namespace kora::app {
namespace {

TEST(LineSettings, TitlesLogAxesRunColoursAndMarkersAreStoredOnOk) {
    ResultsSet set = TwoCourses();
    set.ranges[kYmin] = 0;
    set.ranges[kYmax] = 8;
    int32_t sameInAll = 0;
    D dialog(set, kViewTimePlot, sameInAll);
    dialog.show();
    EXPECT_EQ(dialog.titleEdit()->placeholderText(), "A"); // the model's NAME
    EXPECT_FALSE(dialog.logBox(2)->isVisible());           // no Z axis in the time plot
    dialog.showTitleBox()->setChecked(true);
    dialog.titleEdit()->setText("Growth");
    dialog.yTitleEdit()->setText("X (mM)");
    dialog.logBox(1)->setChecked(true);
    dialog.runColoursBox()->setChecked(false);
    Click(dialog, 1, D::kMarkerColumn);
    Click(dialog, 1, D::kMarkerColumn);
    Click(dialog, 3, D::kMarkerColumn, Qt::ShiftModifier);
    dialog.accept();
    EXPECT_TRUE(set.showTitle);
    EXPECT_EQ(set.title, "Growth");
    EXPECT_EQ(set.yTitle, "X (mM)");
    EXPECT_TRUE(set.logY);
    EXPECT_FALSE(set.logX);
    EXPECT_GT(set.ranges[kYmin], 0); // a log axis never starts at zero
    EXPECT_FALSE(set.runColours);
    EXPECT_EQ(set.timeCourses[0].lineStyles[2].marker, Marker::Square);
    EXPECT_EQ(set.timeCourses[1].lineStyles[2].marker, Marker::Cross);

    // The phase views keep logarithmic axes of their own.
    D phase(set, kViewPhase3D, sameInAll);
    phase.show();
    EXPECT_TRUE(phase.logBox(2)->isVisible());
    EXPECT_FALSE(phase.logBox(1)->isChecked());
    EXPECT_FALSE(phase.yTitleEdit()->isEnabled());
    phase.logBox(2)->setChecked(true);
    phase.accept();
    EXPECT_TRUE(set.logPhase[2]);
    EXPECT_TRUE(set.logY);
}

} // namespace
} // namespace kora::app

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include "results_table_model.h"
#include "results_table_view.h"

namespace kora::app {
namespace {

TimeCourse Course(const std::string& title, std::vector<std::string> names,
                  const std::vector<double>& values) {
    TimeCourse course(static_cast<int32_t>(names.size()), title);
    course.names = std::move(names);
    course.rows = static_cast<int32_t>(values.size()) / course.columns;
    course.data.Allocate(values.size());
    std::copy(values.begin(), values.end(), course.data.data());
    return course;
}

// Two time courses of different lengths, the second without a title.
ResultsSet TwoCourses() {
    ResultsSet set;
    set.timeCourses.push_back(Course("A", {"t", "x"}, {0, 1.0 / 3, 1, 2.0 / 3, 2, 1}));
    set.timeCourses.push_back(Course("", {"t", "y"}, {0, 12345.678}));
    return set;
}

TEST(ResultsTable, ShowsHeadingsValuesAndGaps) {
    const ResultsSet set = TwoCourses();
    ResultsTableModel model;
    model.SetResults(&set, 4);
    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "A:t");
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), "2:y");
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), "0.3333");
    EXPECT_EQ(model.data(model.index(0, 3)).toString(), "1.235e+04");
    EXPECT_EQ(model.data(model.index(2, 3)).toString(), "N/A");

    // One time course alone is headed by its column names.
    ResultsSet single;
    single.timeCourses.push_back(set.timeCourses[0]);
    model.SetResults(&single, 4);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "x");
}

TEST(ResultsTable, CtrlCCopiesTheSelectedCells) {
    const ResultsSet set = TwoCourses();
    ResultsTableView view;
    view.resultsModel()->SetResults(&set, 4);
    view.selectionModel()->select(
        QItemSelection(view.model()->index(1, 1), view.model()->index(2, 2)),
        QItemSelectionModel::Select);
    QApplication::clipboard()->clear();
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
    QApplication::sendEvent(&view, &copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "0.6667\tN/A\t\n1\tN/A\t\n");
}

} // namespace
} // namespace kora::app

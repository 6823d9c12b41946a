// "Line colors and styles": the plot's switches and size, and one row per
// line of the current view with its visibility, style and colour. Works on a
// copy; OK stores it, Cancel leaves the results as they were.
#pragma once

#include <QDialog>
#include <vector>

#include "results/line_rows.h"
#include "results/results_set.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kora::app {

class TGraphSettsDialog : public QDialog {
    Q_OBJECT

public:
    enum Column { kLineColumn, kVisibleColumn, kStyleColumn, kColourColumn, kMarkerColumn };
    enum Spread { kSpreadNone, kSpreadSame, kSpreadBrighter, kSpreadDarker };

    // `sameInAll` is the "GraphDlgTCSB" setting: the first toggle button's
    // state, read now and written on OK.
    TGraphSettsDialog(ResultsSet& set, int8_t view, int32_t& sameInAll, QWidget* parent = nullptr);

    void accept() override;

    // A click on a cell, as the grid reports it (Shift steps styles down).
    void ClickCell(int row, int column, Qt::KeyboardModifiers modifiers);

    QTableWidget* grid() const { return grid_; }
    QCheckBox* showTitleBox() const { return showTitle_; }
    QLineEdit* titleEdit() const { return title_; }
    QLineEdit* yTitleEdit() const { return yTitle_; }
    // Logarithmic X, Y and (3-D) Z axes of the view.
    QCheckBox* logBox(int axis) const { return log_[axis]; }
    QCheckBox* runColoursBox() const { return runColours_; }
    QPushButton* spreadButton(Spread which) const { return buttons_[which]; }
    const LineStyle& record(int row) const { return records_[static_cast<size_t>(row)]; }
    Spread spread() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildGrid();
    QLayout* BuildAppearance();
    void StoreAppearance();
    void ShowRow(int row);
    void ChangeCell(int row, int column, Qt::KeyboardModifiers modifiers);
    void SpreadChange(int row, int column);
    void SpreadBrightness(int row, bool increasing);
    void KeepOneButtonDown(Spread pressed, bool down);

    ResultsSet& set_;
    int32_t& sameInAll_;
    std::vector<LineRow> rows_;
    std::vector<LineStyle> records_; // the rows' records as edited so far
    QCheckBox* axes_ = nullptr;
    QCheckBox* legend_ = nullptr;
    QCheckBox* grid_lines_ = nullptr;
    QCheckBox* resize_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QPushButton* buttons_[4] = {};
    int8_t view_ = kViewTimePlot;
    QCheckBox* showTitle_ = nullptr;
    QLineEdit* title_ = nullptr;
    QLineEdit* yTitle_ = nullptr;
    QCheckBox* log_[3] = {};
    QCheckBox* runColours_ = nullptr;
};

} // namespace kora::app

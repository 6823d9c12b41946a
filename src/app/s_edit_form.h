// The value editor that pops up over a plot label: one axis bound (a number)
// or the variable of one phase axis (a choice from the list).
#pragma once

#include <QDialog>
#include <QPoint>

#include "results/plot_hot_spots.h"
#include "results/results_set.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace kora::app {

class TSEditForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPhaseAxisBase = 6; // indexes from here choose phase variables

    // `index` 0..5 edits ranges[rangeIndex]; 6, 7, 8 the X, Y, Z phase variable;
    // 9 the plot title (shown when not empty), 10 the time plot's Y title.
    TSEditForm(ResultsSet& set, int index, size_t rangeIndex, QWidget* parent = nullptr);

    // Stores the value and closes; a bound that is not a finite number, or that
    // would put a minimum at or above its maximum, is refused in the dialog.
    void accept() override;

    QLineEdit* valueEdit() const { return edit_; }
    QComboBox* variableList() const { return list_; }
    QString refusal() const;

protected:
    // Any point of the surface drags the dialog.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool StoreBound();
    bool EditsPhaseAxis() const { return index_ >= kPhaseAxisBase && !EditsTitle(); }
    bool EditsTitle() const { return index_ >= static_cast<int>(PlotHotSpots::kPlotTitleSpot); }

    ResultsSet& set_;
    int index_;
    size_t rangeIndex_;
    QLineEdit* edit_ = nullptr;
    QComboBox* list_ = nullptr;
    QLabel* message_ = nullptr;
    QPoint dragOffset_;
};

} // namespace kora::app

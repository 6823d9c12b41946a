// The view of one steady-state report grid: fixed-pitch text, headings and
// labels that stay in place while the body scrolls, copying through the
// report's own clipboard text, and double clicks on a heading or label that
// select its column or row.
#pragma once

#include <QTableView>
#include <optional>

#include "numeric/report/report_grid.h"

namespace kora::app {

class ReportGridModel;

class ReportGridView : public QTableView {
    Q_OBJECT

public:
    explicit ReportGridView(QWidget* parent = nullptr);

    // The grid stays the caller's and must outlive the view.
    void SetGrid(const ReportGrid* grid);
    // After the grid's texts changed in place.
    void Refresh();
    ReportGridModel* gridModel() const { return model_; }

    // The selection in grid coordinates: the rectangle spanning it.
    std::optional<GridSelection> Selection() const;
    void Select(const GridSelection& selection);
    // What Copy puts on the clipboard; empty without a selection.
    QString SelectionText() const;

public slots:
    void CopySelection();
    void selectAll() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitSizes();
    void HeadingDoubleClicked(size_t gridColumn, size_t gridRow);
    void PaintCorner();
    void ShowContextMenu(const QPoint& position);

    ReportGridModel* model_;
    QWidget* corner_ = nullptr;
};

} // namespace kora::app

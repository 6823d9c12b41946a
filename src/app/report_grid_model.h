// A grid of the steady-state report as an item model. The grid's heading
// row and label column become the view's headers; the model's cells are the
// grid's body, so that a view selects only what can be copied.
#pragma once

#include <QAbstractTableModel>

#include "numeric/report/report_grid.h"

namespace kora::app {

class ReportGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ReportGridModel(QObject* parent = nullptr);

    // The grid stays the caller's and must outlive the model; nullptr shows
    // nothing.
    void SetGrid(const ReportGrid* grid);
    const ReportGrid* grid() const { return grid_; }
    // After the grid's texts changed in place.
    void Refresh();

    // Grid coordinates of a model cell, and back.
    size_t GridColumn(int column) const;
    static size_t GridRow(int row) { return static_cast<size_t>(row) + 1; }
    int ModelColumn(size_t gridColumn) const;
    static int ModelRow(size_t gridRow) { return static_cast<int>(gridRow) - 1; }

    // The longest text of a model column, heading included; in a fixed-pitch
    // font the widest.
    QString LongestText(int column) const;
    // The longest row label, the corner cell included.
    QString LongestLabel() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const ReportGrid* grid_ = nullptr;
};

} // namespace kora::app

#include "report_grid_model.h"

#include <algorithm>

namespace kora::app {

ReportGridModel::ReportGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void ReportGridModel::SetGrid(const ReportGrid* grid) {
    beginResetModel();
    grid_ = grid;
    endResetModel();
}

void ReportGridModel::Refresh() {
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

size_t ReportGridModel::GridColumn(int column) const {
    return static_cast<size_t>(column) + (grid_ != nullptr ? grid_->FixedColumns() : 0);
}

int ReportGridModel::ModelColumn(size_t gridColumn) const {
    return static_cast<int>(gridColumn - (grid_ != nullptr ? grid_->FixedColumns() : 0));
}

namespace {

QString LongestInColumn(const ReportGrid& grid, size_t column) {
    const std::string* longest = nullptr;
    for (const std::vector<std::string>& row : grid.cells)
        if (longest == nullptr || row[column].size() > longest->size()) longest = &row[column];
    return longest != nullptr ? QString::fromStdString(*longest) : QString();
}

} // namespace

QString ReportGridModel::LongestText(int column) const {
    if (grid_ == nullptr || column < 0 || column >= columnCount()) return {};
    return LongestInColumn(*grid_, GridColumn(column));
}

QString ReportGridModel::LongestLabel() const {
    if (grid_ == nullptr || !grid_->labelColumn) return {};
    return LongestInColumn(*grid_, 0);
}

int ReportGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || grid_ == nullptr || grid_->RowCount() == 0) return 0;
    return static_cast<int>(grid_->RowCount() - 1);
}

int ReportGridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || grid_ == nullptr) return 0;
    return static_cast<int>(grid_->ColumnCount() -
                            std::min(grid_->ColumnCount(), grid_->FixedColumns()));
}

QVariant ReportGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || grid_ == nullptr || !index.isValid()) return {};
    return QString::fromStdString(grid_->Cell(GridColumn(index.column()), GridRow(index.row())));
}

QVariant ReportGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (grid_ == nullptr || section < 0) return {};
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal)
        return QString::fromStdString(grid_->Cell(GridColumn(section), 0));
    if (!grid_->labelColumn) return section + 1;
    return QString::fromStdString(grid_->Cell(0, GridRow(section)));
}

} // namespace kora::app

#include "results_table_model.h"

#include "results/results_table.h"

namespace kora::app {

// The core's table has the headings in its row 0; the view shows them in
// its header, so its rows are the core's rows from 1.
ResultsTableModel::ResultsTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultsTableModel::SetResults(const ResultsSet* set, int32_t precision,
                                   char decimalSeparator) {
    beginResetModel();
    set_ = set;
    precision_ = precision;
    decimalSeparator_ = decimalSeparator;
    endResetModel();
}

void ResultsTableModel::Refresh() {
    beginResetModel();
    endResetModel();
}

int ResultsTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || set_ == nullptr || ResultsTableColumnCount(*set_) == 0) return 0;
    return ResultsTableRowCount(*set_) - 1;
}

int ResultsTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || set_ == nullptr) return 0;
    return ResultsTableColumnCount(*set_);
}

QVariant ResultsTableModel::data(const QModelIndex& index, int role) const {
    if (set_ == nullptr || !index.isValid()) return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    return QString::fromStdString(
        ResultsTableCell(*set_, index.row() + 1, index.column(), precision_, decimalSeparator_));
}

QVariant ResultsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || set_ == nullptr) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return QString::fromStdString(ResultsTableCell(*set_, 0, section, precision_));
}

QString ResultsTableModel::CopyText(int top, int left, int bottom, int right) const {
    if (set_ == nullptr) return {};
    return QString::fromStdString(
        ResultsTableText(*set_, top + 1, left, bottom + 1, right, precision_, decimalSeparator_));
}

} // namespace kora::app

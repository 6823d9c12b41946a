// The results as an item model: the view asks for the cells it shows, so a
// million rows cost nothing until they are scrolled into view.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>

#include "results/results_set.h"

namespace kora::app {

class ResultsTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ResultsTableModel(QObject* parent = nullptr);

    // The set stays the caller's and must outlive the model or be replaced;
    // nullptr shows an empty table. `precision` is "TablePrec".
    void SetResults(const ResultsSet* set, int32_t precision, char decimalSeparator = '.');
    // After the set's time courses changed.
    void Refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The cells of the rectangle from (top, left) to (bottom, right), rows
    // counted as the view counts them, as the clipboard takes them.
    QString CopyText(int top, int left, int bottom, int right) const;

private:
    const ResultsSet* set_ = nullptr;
    int32_t precision_ = 7;
    char decimalSeparator_ = '.';
};

} // namespace kora::app

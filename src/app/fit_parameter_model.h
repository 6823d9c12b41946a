// The table of the Fit to Data dialog: one row per constant or initial value
// of the model, with whether it is fitted, its bounds and its scale.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "fit/fit_candidates.h"
#include "fit/fit_problem.h"

namespace kora::app {

class FitParameterModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kFit, kName, kValue, kLow, kHigh, kLog, kColumnCount };

    explicit FitParameterModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void SetCandidates(const std::vector<FitCandidate>& candidates);
    // The rows checked for fitting, as the fit takes them; "" or the row at fault.
    QString Specs(std::vector<FitParameterSpec>& specs) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        FitCandidate candidate;
        bool fit = false;
        QString low, high; // as typed; empty: unbounded
        bool log = false;
    };
    std::vector<Row> rows_;
};

} // namespace kora::app

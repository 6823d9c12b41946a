#include "fit_parameter_model.h"

#include <cmath>

#include "results/number_text.h"

namespace kora::app {

namespace {

bool ReadBound(const QString& text, double fallback, double& out) {
    if (text.trimmed().isEmpty()) {
        out = fallback;
        return true;
    }
    const std::optional<double> number = ParseNumber(text.trimmed().toStdString());
    if (!number) return false;
    out = *number;
    return true;
}

} // namespace

void FitParameterModel::SetCandidates(const std::vector<FitCandidate>& candidates) {
    beginResetModel();
    rows_.clear();
    for (const FitCandidate& candidate : candidates) {
        Row row;
        row.candidate = candidate;
        // Positive values get a positive range over four decades on a log
        // scale; the user narrows it.
        if (candidate.value > 0.0) {
            row.low = QString::fromStdString(FormatGeneral(candidate.value / 100.0, 6));
            row.high = QString::fromStdString(FormatGeneral(candidate.value * 100.0, 6));
            row.log = true;
        }
        rows_.push_back(row);
    }
    endResetModel();
}

QString FitParameterModel::Specs(std::vector<FitParameterSpec>& specs) const {
    specs.clear();
    for (const Row& row : rows_) {
        if (!row.fit) continue;
        FitParameterSpec spec;
        spec.name = row.candidate.name;
        if (!ReadBound(row.low, -kUnbounded, spec.low) ||
            !ReadBound(row.high, kUnbounded, spec.high) || !(spec.low < spec.high))
            return tr("The bounds of %1 are not two numbers, the low below the high.")
                .arg(QString::fromStdString(spec.name));
        spec.scale = row.log ? FitParameterSpec::Scale::Log : FitParameterSpec::Scale::Linear;
        specs.push_back(spec);
    }
    if (specs.empty()) return tr("Check at least one parameter to fit.");
    return {};
}

int FitParameterModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FitParameterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant FitParameterModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Row& row = rows_[static_cast<size_t>(index.row())];
    if (role == Qt::CheckStateRole) {
        if (index.column() == kFit) return row.fit ? Qt::Checked : Qt::Unchecked;
        if (index.column() == kLog) return row.log ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    switch (index.column()) {
    case kName:
        return QString::fromStdString(row.candidate.name) +
               (row.candidate.initialValue ? tr(" (initial)") : QString());
    case kValue:
        return QString::fromStdString(FormatGeneral(row.candidate.value, 10));
    case kLow:
        return row.low;
    case kHigh:
        return row.high;
    default:
        return {};
    }
}

bool FitParameterModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount()) return false;
    Row& row = rows_[static_cast<size_t>(index.row())];
    if (role == Qt::CheckStateRole && (index.column() == kFit || index.column() == kLog)) {
        const bool on = value.toInt() == Qt::Checked;
        (index.column() == kFit ? row.fit : row.log) = on;
    } else if (role == Qt::EditRole && (index.column() == kLow || index.column() == kHigh)) {
        (index.column() == kLow ? row.low : row.high) = value.toString();
    } else {
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags FitParameterModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == kFit || index.column() == kLog) flags |= Qt::ItemIsUserCheckable;
    if (index.column() == kLow || index.column() == kHigh) flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant FitParameterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case kFit:
        return tr("Fit");
    case kName:
        return tr("Name");
    case kValue:
        return tr("Value");
    case kLow:
        return tr("Low");
    case kHigh:
        return tr("High");
    case kLog:
        return tr("Log");
    default:
        return {};
    }
}

} // namespace kora::app

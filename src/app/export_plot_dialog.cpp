#include "export_plot_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QSpinBox>

namespace kora::app {

namespace {

constexpr double kMillimetresPerInch = 25.4;

// One inch in each unit, in the order of the unit list.
double PerInch(SizeUnit unit) {
    switch (unit) {
    case SizeUnit::Pixels:
        return kScreenDpi;
    case SizeUnit::Millimetres:
        return kMillimetresPerInch;
    case SizeUnit::Inches:
        break;
    }
    return 1;
}

QDoubleSpinBox* SizeBox(double value, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(0.1, kMaxPicturePixels);
    box->setDecimals(1);
    box->setValue(value);
    return box;
}

} // namespace

ExportPlotDialog::ExportPlotDialog(QSize screenSize, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Export Plot"));
    width_ = SizeBox(screenSize.width(), this);
    height_ = SizeBox(screenSize.height(), this);
    unit_ = new QComboBox(this);
    unit_->addItems({tr("pixels"), tr("mm"), tr("inches")});
    connect(unit_, &QComboBox::currentIndexChanged, this, &ExportPlotDialog::ChangeUnit);
    dpi_ = new QSpinBox(this);
    dpi_->setRange(kMinDpi, kMaxDpi);
    dpi_->setValue(kExportDpi);
    dpi_->setSuffix(tr(" dpi"));

    auto* size = new QHBoxLayout;
    size->addWidget(width_);
    size->addWidget(height_);
    size->addWidget(unit_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(tr("Size (width, height):"), size);
    form->addRow(tr("Resolution:"), dpi_);
    form->addRow(buttons);
}

SizeUnit ExportPlotDialog::Unit(int index) const {
    return index == 1 ? SizeUnit::Millimetres : index == 2 ? SizeUnit::Inches : SizeUnit::Pixels;
}

// The same picture in the new unit.
void ExportPlotDialog::ChangeUnit(int index) {
    const double factor = PerInch(Unit(index)) / PerInch(Unit(shownUnit_));
    width_->setValue(width_->value() * factor);
    height_->setValue(height_->value() * factor);
    shownUnit_ = index;
}

void ExportPlotDialog::ApplyTo(PlotFileOptions& options) const {
    options.width = width_->value();
    options.height = height_->value();
    options.unit = Unit(unit_->currentIndex());
    options.dpi = dpi_->value();
}

} // namespace kora::app

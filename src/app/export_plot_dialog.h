// "Export Plot": the picture's size (pixels, millimetres or inches) and its
// resolution, 300 dpi unless changed.
#pragma once

#include <QDialog>
#include <QSize>

#include "results/qt/plot_file.h"

class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

namespace kora::app {

class ExportPlotDialog : public QDialog {
    Q_OBJECT

public:
    // Starts at `screenSize` in pixels.
    ExportPlotDialog(QSize screenSize, QWidget* parent = nullptr);

    // The size, unit and resolution chosen (view and hot spots untouched).
    void ApplyTo(PlotFileOptions& options) const;

    QDoubleSpinBox* widthBox() const { return width_; }
    QDoubleSpinBox* heightBox() const { return height_; }
    QComboBox* unitBox() const { return unit_; }
    QSpinBox* dpiBox() const { return dpi_; }

private:
    void ChangeUnit(int index);
    SizeUnit Unit(int index) const;

    QDoubleSpinBox* width_ = nullptr;
    QDoubleSpinBox* height_ = nullptr;
    QComboBox* unit_ = nullptr;
    QSpinBox* dpi_ = nullptr;
    int shownUnit_ = 0;
};

} // namespace kora::app

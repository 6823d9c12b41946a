#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "export_plot_dialog.h"

namespace kora::app {
namespace {

TEST(ExportPlotDialog, StartsAtTheScreenSizeAt300DpiAndConvertsUnits) {
    ExportPlotDialog dialog(QSize(960, 480));
    EXPECT_EQ(dialog.dpiBox()->value(), 300);
    dialog.unitBox()->setCurrentIndex(1); // mm: the same picture
    EXPECT_NEAR(dialog.widthBox()->value(), 254, 0.05);
    EXPECT_NEAR(dialog.heightBox()->value(), 127, 0.05);
    dialog.unitBox()->setCurrentIndex(2); // inches
    EXPECT_NEAR(dialog.widthBox()->value(), 10, 0.05);
    dialog.widthBox()->setValue(6);
    dialog.dpiBox()->setValue(150);
    PlotFileOptions options;
    dialog.ApplyTo(options);
    EXPECT_EQ(options.unit, SizeUnit::Inches);
    EXPECT_EQ(options.dpi, 150);
    EXPECT_EQ(PicturePixels(options), std::make_pair(900, 750));
}

} // namespace
} // namespace kora::app

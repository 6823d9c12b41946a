#include "plot_pane.h"

#include <QPainter>

#include "qt_conversions.h"
#include "results/qt/plot_renderer.h"

namespace kora::app {

PlotPane::PlotPane(QWidget* parent) : QWidget(parent) {
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setMinimumSize(120, 90);
}

void PlotPane::SetResults(ResultsSet* set, bool showHotSpots) {
    set_ = set;
    showHotSpots_ = showHotSpots;
    update();
}

void PlotPane::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    hotSpots_ = PlotHotSpots{};
    if (set_ == nullptr || set_->timeCourses.empty()) {
        painter.drawText(rect(), Qt::AlignCenter, tr(kNoSolutionText));
        return;
    }
    PlotDrawOptions options;
    options.view = set_->view;
    options.showHotSpots = showHotSpots_;
    options.font = font();
    options.fontPixels = QFontInfo(font()).pixelSize();
    options.windowColour = ToColour(palette().color(QPalette::Base));
    hotSpots_ = DrawPlot(painter, rect(), *set_, options).hotSpots;
}

} // namespace kora::app

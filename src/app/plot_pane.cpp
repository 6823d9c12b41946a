#include "plot_pane.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "graph_setts_dialog.h"
#include "qt_conversions.h"
#include "results/number_text.h"
#include "results/qt/plot_renderer.h"
#include "s_edit_form.h"

namespace kora::app {

namespace {

constexpr int32_t kHoverDigits = 6;
constexpr size_t kHoverColumns = 8; // the status bar has room for a few values

// The row of `course` whose time is nearest `time`; times only increase.
int32_t NearestRow(const TimeCourse& course, double time) {
    int32_t low = 0, high = course.rows - 1;
    while (low < high) {
        const int32_t middle = (low + high) / 2;
        if (course.Value(middle, 0) < time)
            low = middle + 1;
        else
            high = middle;
    }
    if (low > 0 && time - course.Value(low - 1, 0) < course.Value(low, 0) - time) --low;
    return low;
}

QString Number(double value) {
    return QString::fromStdString(FormatGeneral(value, kHoverDigits));
}

QString RowText(const TimeCourse& course, int32_t row) {
    QString text = QStringLiteral("t = ") + Number(course.Value(row, 0));
    const auto shown = std::min<size_t>(static_cast<size_t>(course.columns), kHoverColumns + 1);
    for (size_t c = 1; c < shown && c < course.names.size(); ++c)
        text += QStringLiteral("   %1 = %2")
                    .arg(QString::fromStdString(course.names[c]),
                         Number(course.Value(row, static_cast<int32_t>(c))));
    if (static_cast<size_t>(course.columns) > shown) text += QStringLiteral("   ...");
    return text;
}

} // namespace

PlotPane::PlotPane(QWidget* parent) : QWidget(parent) {
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setMinimumSize(120, 90);
    setMouseTracking(true);
}

void PlotPane::SetResults(ResultsSet* set, bool showHotSpots) {
    set_ = set;
    showHotSpots_ = showHotSpots;
    update();
}

void PlotPane::SetShowHotSpots(bool show) {
    showHotSpots_ = show;
    update();
}

bool PlotPane::HasPlot() const {
    return set_ != nullptr && !set_->timeCourses.empty();
}

QRect PlotPane::PlotRect() const {
    if (set_ == nullptr || set_->resize) return rect();
    return QRect(0, 0, set_->widthInPx, set_->heightInPx);
}

// Qt scales the painter to the screen's device pixel ratio, so the plot is
// drawn at full resolution while its coordinates (and the hot spots) stay
// those of the mouse events.
void PlotPane::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    hotSpots_ = PlotHotSpots{};
    face_ = PixelRect{};
    if (!HasPlot()) {
        painter.drawText(rect(), Qt::AlignCenter, tr(kNoSolutionText));
        note_.clear();
        return;
    }
    PlotDrawOptions options;
    options.view = set_->view == kViewTable ? kViewTimePlot : set_->view;
    options.showHotSpots = showHotSpots_;
    options.font = font();
    options.fontPixels = QFontInfo(font()).pixelSize();
    options.windowColour = ToColour(palette().color(QPalette::Base));
    painter.setRenderHint(QPainter::Antialiasing);
    const PlotDrawing drawing = DrawPlot(painter, PlotRect(), *set_, options);
    hotSpots_ = drawing.hotSpots;
    face_ = drawing.face;
    const QString note = QString::fromStdString(LeftOutNote(drawing.leftOut));
    if (note != note_) {
        note_ = note;
        // Not from inside the paint event: the status bar repaints itself.
        QMetaObject::invokeMethod(
            this, [this] { ShowHover(row_, true); }, Qt::QueuedConnection);
    }
}

int PlotPane::HotSpotAt(QPoint point) const {
    for (size_t i = 0; i < hotSpots_.areas.size(); ++i)
        if (hotSpots_.areas[i].Contains(point.x(), point.y())) return static_cast<int>(i);
    return -1;
}

bool PlotPane::EditHotSpot(int spot) {
    if (!HasPlot() || spot < 0 || spot >= static_cast<int>(PlotHotSpots::kCount)) return false;
    const auto index = static_cast<size_t>(spot);
    const size_t range = index < PlotHotSpots::kRangeSpots ? hotSpots_.rangeIndex[index] : 0;
    TSEditForm form(*set_, spot, range, this);
    const PixelRect& label = hotSpots_.areas[index];
    form.move(mapToGlobal(QPoint(label.left, label.top)));
    if (form.exec() != QDialog::Accepted) return false;
    Edited();
    return true;
}

bool PlotPane::EditLineSettings() {
    if (!HasPlot()) return false;
    const int8_t view = set_->view == kViewTable ? kViewTimePlot : set_->view;
    TGraphSettsDialog dialog(*set_, view, *sameInAll_, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    Edited();
    return true;
}

void PlotPane::Edited() {
    set_->modified = true;
    update();
    emit resultsEdited();
}

void PlotPane::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!interactive_ || !HasPlot() || event->button() != Qt::LeftButton) return;
    const int spot = HotSpotAt(event->position().toPoint());
    if (spot >= 0)
        EditHotSpot(spot);
    else
        EditLineSettings();
}

QString PlotPane::HoverTextAt(QPoint point) const {
    if (!HasPlot() || set_->view != kViewTimePlot || face_.IsEmpty() ||
        !face_.Contains(point.x(), point.y()))
        return QString();
    const double fraction =
        static_cast<double>(point.x() - face_.left) / std::max(1, face_.right - face_.left);
    const double time =
        set_->ranges[kXmin] + fraction * (set_->ranges[kXmax] - set_->ranges[kXmin]);
    const TimeCourse& course = set_->timeCourses.front();
    if (course.rows <= 0 || course.columns <= 0) return QString();
    return RowText(course, NearestRow(course, time));
}

// Mouse moves alone reach here, so a still mouse costs nothing; the text is
// only handed on when the nearest row changes.
void PlotPane::mouseMoveEvent(QMouseEvent* event) {
    ShowHover(HoverTextAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void PlotPane::leaveEvent(QEvent* event) {
    ShowHover(QString());
    QWidget::leaveEvent(event);
}

void PlotPane::ShowHover(const QString& text, bool force) {
    row_ = text;
    const QString shown = text.isEmpty() ? note_ : text;
    if (shown == hover_ && !force) return;
    hover_ = shown;
    emit hoverText(hover_);
}

} // namespace kora::app

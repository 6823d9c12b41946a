#include "plot_pane.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "graph_setts_dialog.h"
#include "qt_conversions.h"
#include "results/number_text.h"
#include "results/qt/plot_geometry.h"
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
    Redraw();
}

void PlotPane::Redraw() {
    cache_.Invalidate();
    update();
}

void PlotPane::SetShowHotSpots(bool show) {
    showHotSpots_ = show;
    Redraw();
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
    options.thinToColumns = devicePixelRatioF();
    const PlotCacheKey key = KeyOf(options);
    if (!cache_.Holds(key)) DrawIntoCache(options, key);
    painter.drawPixmap(0, 0, cache_.picture);
    hotSpots_ = cache_.hotSpots;
    face_ = cache_.face;
    const QString note = QString::fromStdString(LeftOutNote(cache_.leftOut));
    if (note != note_) {
        note_ = note;
        // Not from inside the paint event: the status bar repaints itself.
        QMetaObject::invokeMethod(
            this, [this] { ShowHover(row_, true); }, Qt::QueuedConnection);
    }
    if (options.view == kViewTimePlot) DrawDataMarkers(painter);
}

PlotCacheKey PlotPane::KeyOf(const PlotDrawOptions& options) const {
    PlotCacheKey key;
    AddResultsKey(*set_, key);
    key.size = PlotRect().size();
    key.pixelRatio = devicePixelRatioF();
    key.view = options.view;
    key.hotSpots = options.showHotSpots;
    key.font = options.font.key();
    key.window = palette().color(QPalette::Base).rgba();
    return key;
}

// At the device's pixel ratio, so that the kept picture is as sharp as a
// drawing on the widget itself.
void PlotPane::DrawIntoCache(const PlotDrawOptions& options, const PlotCacheKey& key) {
    const QRect target = PlotRect();
    QPixmap picture(target.size() * key.pixelRatio);
    picture.setDevicePixelRatio(key.pixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const PlotDrawing drawing = DrawPlot(painter, target, *set_, options);
    painter.end();
    ++drawings_;
    cache_.picture = std::move(picture);
    cache_.hotSpots = drawing.hotSpots;
    cache_.face = drawing.face;
    cache_.leftOut = drawing.leftOut;
    cache_.key = key;
    cache_.valid = true;
}

void PlotPane::SetDataMarkers(std::vector<DataMarkerSeries> markers) {
    markers_ = std::move(markers);
    update();
}

// Open circles on the front face, by the plot's time and value ranges, in
// the colour of the last time course's line of the same name (else one of a
// small fixed list).
void PlotPane::DrawDataMarkers(QPainter& painter) const {
    if (markers_.empty() || face_.IsEmpty() || set_ == nullptr) return;
    static const QColor kColours[] = {Qt::red,      Qt::blue,       Qt::darkGreen, Qt::magenta,
                                      Qt::darkCyan, Qt::darkYellow, Qt::black};
    // The same axes as the lines, logarithmic ones included.
    const ViewAxes axes = AxesForView(*set_, kViewTimePlot);
    const double width = face_.right - face_.left, height = face_.bottom - face_.top;
    painter.save();
    painter.setClipRect(
        QRect(face_.left, face_.top, face_.right - face_.left + 1, face_.bottom - face_.top + 1));
    painter.setBrush(Qt::NoBrush);
    const TimeCourse& last = set_->timeCourses.back();
    const Colour window = ToColour(palette().color(QPalette::Base));
    for (size_t s = 0; s < markers_.size(); ++s) {
        const DataMarkerSeries& series = markers_[s];
        QColor colour = kColours[s % std::size(kColours)];
        for (size_t c = 1; c < last.names.size() && c < last.lineStyles.size(); ++c)
            if (last.names[c] == series.name)
                colour = ToQColor(ResolveColour(last.lineStyles[c].colour, window));
        painter.setPen(QPen(colour, 1.5));
        for (size_t k = 0; k < series.times.size() && k < series.values.size(); ++k) {
            const double fx = axes.x.Fraction(series.times[k]);
            const double fy = axes.y.Fraction(series.values[k]);
            if (std::isnan(fx) || std::isnan(fy)) continue;
            const double x = face_.left + width * fx;
            const double y = face_.bottom - height * fy;
            painter.drawEllipse(QPointF(x, y), 3.5, 3.5);
        }
    }
    painter.restore();
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
    Redraw();
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

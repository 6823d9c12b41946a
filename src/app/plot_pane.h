// The results pane's drawing area: the current plot of the results, or a
// note that nothing was computed yet. A double click edits the plot in place:
// an axis label opens the value editor, anywhere else the line settings.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "plot_cache.h"
#include "results/plot_hot_spots.h"
#include "results/results_set.h"

namespace kora {
struct PlotDrawOptions;
}

namespace kora::app {

// Measured points drawn over a time plot, one series per quantity.
struct DataMarkerSeries {
    std::string name;
    std::vector<double> times;
    std::vector<double> values; // NaN: missing, not drawn
};

class PlotPane : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kNoSolutionText = "No solution was computed yet!";

    explicit PlotPane(QWidget* parent = nullptr);

    // The set stays the caller's; nullptr or a set without time courses
    // shows the note. Hot spots follow "GraphShowHotSpots".
    void SetResults(ResultsSet* set, bool showHotSpots);
    void SetShowHotSpots(bool show);
    // The plot's settings changed (view, colours, ranges, lines): the kept
    // drawing is made again at the next paint.
    void Redraw();
    // Full drawings made so far; a paint that shows the kept one adds none.
    int drawings() const { return drawings_; }

    // "GraphDlgTCSB", kept by the caller; without it the line-settings
    // dialog remembers its first button only while the pane lives.
    void SetSameInAllSetting(int32_t* setting) { sameInAll_ = setting; }

    // Off while a run or a script works on the results: double clicks are
    // then ignored.
    void SetInteractive(bool interactive) { interactive_ = interactive; }
    bool interactive() const { return interactive_; }

    // Where the plot is drawn: the whole pane when it follows the window,
    // else the plot's own size at the top left.
    QRect PlotRect() const;

    // The label areas of the last drawing, for editing an axis in place.
    const PlotHotSpots& hotSpots() const { return hotSpots_; }
    // Where the ranges meet in the last drawing (the front face in 3D).
    const PixelRect& plotFace() const { return face_; }
    // The hot spot under `point`, or -1.
    int HotSpotAt(QPoint point) const;

    // Open the editors as a double click does; true when the results changed.
    bool EditHotSpot(int spot);
    bool EditLineSettings();

    // Measured data drawn as markers over the time plot (a fit's data); an
    // empty list draws none.
    void SetDataMarkers(std::vector<DataMarkerSeries> markers);
    const std::vector<DataMarkerSeries>& dataMarkers() const { return markers_; }

    // The time and values of the report row nearest to `point` in a time
    // plot; empty elsewhere.
    QString HoverTextAt(QPoint point) const;

signals:
    // The plot description was changed by an editor; the results are modified.
    void resultsEdited();
    // For the status bar: the row under the mouse, else the note of the
    // last drawing (values a logarithmic axis left out), else empty.
    void hoverText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool HasPlot() const;
    PlotCacheKey KeyOf(const PlotDrawOptions& options) const;
    void DrawIntoCache(const PlotDrawOptions& options, const PlotCacheKey& key);
    void DrawDataMarkers(QPainter& painter) const;
    void Edited();
    void ShowHover(const QString& text, bool force = false);

public:
    const QString& note() const { return note_; }

    ResultsSet* set_ = nullptr;
    bool showHotSpots_ = false;
    bool interactive_ = true;
    int32_t ownSameInAll_ = 0;
    int32_t* sameInAll_ = &ownSameInAll_;
    PlotHotSpots hotSpots_;
    PixelRect face_;
    QString hover_;
    std::vector<DataMarkerSeries> markers_;
    QString note_; // of the last drawing
    QString row_;  // the row under the mouse
    PlotCache cache_;
    int drawings_ = 0;
};

} // namespace kora::app

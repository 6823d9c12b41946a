// The results pane's drawing area: the current plot of the results, or a
// note that nothing was computed yet.
#pragma once

#include <QWidget>

#include "results/plot_hot_spots.h"
#include "results/results_set.h"

namespace kora::app {

class PlotPane : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kNoSolutionText = "No solution was computed yet!";

    explicit PlotPane(QWidget* parent = nullptr);

    // The set stays the caller's; nullptr or a set without time courses
    // shows the note. Hot spots follow "GraphShowHotSpots".
    void SetResults(ResultsSet* set, bool showHotSpots);

    // The label areas of the last drawing, for editing an axis in place.
    const PlotHotSpots& hotSpots() const { return hotSpots_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ResultsSet* set_ = nullptr;
    bool showHotSpots_ = false;
    PlotHotSpots hotSpots_;
};

} // namespace kora::app

// The last drawing of a plot pane, kept as a picture at the screen's
// resolution, so that a paint that changes nothing (an expose, a window
// moved over it) shows the picture instead of drawing every row again.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "results/plot_hot_spots.h"
#include "results/results_set.h"

namespace kora::app {

// What a drawing depends on: the rows (a time course's block, rows and
// columns, and its title), the plot's settings as a results file states
// them, the view, the size and the look. A change the key cannot see is
// reported through Invalidate.
struct PlotCacheKey {
    struct Course {
        const double* data = nullptr;
        int32_t rows = 0;
        int32_t columns = 0;
        std::string title;
        bool operator==(const Course&) const = default;
    };
    const ResultsSet* set = nullptr;
    std::vector<Course> courses;
    std::vector<std::string> settings;
    QSize size;
    qreal pixelRatio = 1;
    int8_t view = 0;
    bool hotSpots = false;
    QString font;
    QRgb window = 0;
    bool operator==(const PlotCacheKey&) const = default;
};

// The key's part that comes from the results: rows and settings.
void AddResultsKey(const ResultsSet& set, PlotCacheKey& key);

struct PlotCache {
    bool valid = false;
    PlotCacheKey key;
    QPixmap picture;
    // Of the kept drawing.
    PlotHotSpots hotSpots;
    PixelRect face;
    size_t leftOut = 0;

    bool Holds(const PlotCacheKey& wanted) const { return valid && key == wanted; }
    void Invalidate() {
        valid = false;
        picture = QPixmap();
    }
};

} // namespace kora::app

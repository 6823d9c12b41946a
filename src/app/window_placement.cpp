#include "window_placement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

namespace kora::app {
namespace {

// About one title bar: each cascade step shows the caption of the window
// behind.
constexpr int kCascadeStep = 26;

} // namespace

QSize AreaRoom(const QMdiArea& area) {
    return area.viewport()->size();
}

void PlaceInsideArea(QMdiArea& area, QMdiSubWindow& sub, QSize size) {
    const QSize room = AreaRoom(area);
    sub.resize(size.boundedTo(room));
    // Steps that keep the whole window inside, at least one.
    const int across = std::max(0, room.width() - sub.width()) / kCascadeStep;
    const int down = std::max(0, room.height() - sub.height()) / kCascadeStep;
    const int steps = std::min(across, down) + 1;
    int others = 0;
    for (const QMdiSubWindow* window : area.subWindowList())
        if (window != &sub && window->isVisible() && !window->isMinimized()) ++others;
    const int step = (others % steps) * kCascadeStep;
    sub.move(step, step);
}

} // namespace kora::app

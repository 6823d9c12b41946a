// Where new windows go in the frame's MDI area: inside what the user can
// see, each a step below and right of the one before, starting again at the
// top left when the next step would leave the area.
#pragma once

#include <QSize>

class QMdiArea;
class QMdiSubWindow;

namespace kora::app {

// Sizes `sub` to `size` (never larger than the area) and moves it to the
// next free cascade step inside the area's visible part.
void PlaceInsideArea(QMdiArea& area, QMdiSubWindow& sub, QSize size);

// The room new windows have: the visible part of the area.
QSize AreaRoom(const QMdiArea& area);

} // namespace kora::app

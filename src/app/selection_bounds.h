// The smallest block of cells that holds every selected range of a view.
#pragma once

#include <QItemSelection>
#include <optional>

namespace kora::app {

struct CellBlock {
    int top, left, bottom, right;
};

std::optional<CellBlock> SelectionBounds(const QItemSelection& selection);

} // namespace kora::app

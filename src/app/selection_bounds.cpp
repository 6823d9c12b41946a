#include "selection_bounds.h"

#include <algorithm>
#include <climits>

namespace kora::app {

std::optional<CellBlock> SelectionBounds(const QItemSelection& selection) {
    if (selection.isEmpty()) return std::nullopt;
    CellBlock block{INT_MAX, INT_MAX, -1, -1};
    for (const QItemSelectionRange& range : selection) {
        block.top = std::min(block.top, range.top());
        block.left = std::min(block.left, range.left());
        block.bottom = std::max(block.bottom, range.bottom());
        block.right = std::max(block.right, range.right());
    }
    return block;
}

} // namespace kora::app

#include "results_table_view.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <climits>

#include "results_table_model.h"
#include "selection_bounds.h"

namespace kora::app {

ResultsTableView::ResultsTableView(QWidget* parent)
    : QTableView(parent), model_(new ResultsTableModel(this)) {
    setModel(model_);
    // Fixed row heights keep a million rows as cheap as a hundred.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setWordWrap(false);
}

QString ResultsTableView::SelectionText() const {
    const std::optional<CellBlock> block = SelectionBounds(selectionModel()->selection());
    if (!block) return {};
    return model_->CopyText(block->top, block->left, block->bottom, block->right);
}

void ResultsTableView::CopySelection() {
    const QString text = SelectionText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void ResultsTableView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace kora::app

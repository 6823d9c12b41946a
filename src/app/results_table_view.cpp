#include "results_table_view.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <climits>

#include "results_table_model.h"

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
    const QItemSelection selection = selectionModel()->selection();
    if (selection.isEmpty()) return {};
    int top = INT_MAX;
    int left = INT_MAX;
    int bottom = -1;
    int right = -1;
    for (const QItemSelectionRange& range : selection) {
        top = std::min(top, range.top());
        left = std::min(left, range.left());
        bottom = std::max(bottom, range.bottom());
        right = std::max(right, range.right());
    }
    return model_->CopyText(top, left, bottom, right);
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

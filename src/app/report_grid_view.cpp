#include "report_grid_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <climits>

#include "report_grid_model.h"
#include "selection_bounds.h"

namespace kora::app {
namespace {

// Room for the cell's margins and grid line beside the text.
constexpr int kCellPadding = 16;

} // namespace

ReportGridView::ReportGridView(QWidget* parent)
    : QTableView(parent), model_(new ReportGridModel(this)) {
    setModel(model_);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setFont(fixed);
    horizontalHeader()->setFont(fixed);
    verticalHeader()->setFont(fixed);
    // Fixed row heights keep thousands of rows cheap.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(fixed).height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &ReportGridView::ShowContextMenu);
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this](int section) { HeadingDoubleClicked(model_->GridColumn(section), 0); });
    connect(verticalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this](int section) { HeadingDoubleClicked(0, ReportGridModel::GridRow(section)); });
    // The corner shows the label column's heading, which Qt leaves blank.
    corner_ = findChild<QAbstractButton*>();
    if (corner_ != nullptr) {
        corner_->setFont(fixed);
        corner_->installEventFilter(this);
    }
}

void ReportGridView::SetGrid(const ReportGrid* grid) {
    model_->SetGrid(grid);
    verticalHeader()->setVisible(grid != nullptr && grid->labelColumn);
    FitSizes();
}

void ReportGridView::Refresh() {
    model_->Refresh();
    FitSizes();
}

void ReportGridView::FitSizes() {
    const QFontMetrics metrics(font());
    for (int column = 0; column < model_->columnCount(); ++column)
        horizontalHeader()->resizeSection(
            column, metrics.horizontalAdvance(model_->LongestText(column)) + kCellPadding);
    // Sized here, as the header would measure only a sample of many rows.
    const ReportGrid* grid = model_->grid();
    if (grid != nullptr && grid->labelColumn)
        verticalHeader()->setFixedWidth(metrics.horizontalAdvance(model_->LongestLabel()) +
                                        kCellPadding);
}

std::optional<GridSelection> ReportGridView::Selection() const {
    const std::optional<CellBlock> block = SelectionBounds(selectionModel()->selection());
    if (!block) return std::nullopt;
    return GridSelection{model_->GridColumn(block->left), ReportGridModel::GridRow(block->top),
                         model_->GridColumn(block->right), ReportGridModel::GridRow(block->bottom)};
}

void ReportGridView::Select(const GridSelection& s) {
    const QModelIndex topLeft =
        model_->index(ReportGridModel::ModelRow(s.top), model_->ModelColumn(s.left));
    const QModelIndex bottomRight =
        model_->index(ReportGridModel::ModelRow(s.bottom), model_->ModelColumn(s.right));
    if (!topLeft.isValid() || !bottomRight.isValid()) return;
    selectionModel()->select(QItemSelection(topLeft, bottomRight),
                             QItemSelectionModel::ClearAndSelect);
    selectionModel()->setCurrentIndex(topLeft, QItemSelectionModel::NoUpdate);
}

QString ReportGridView::SelectionText() const {
    const std::optional<GridSelection> selection = Selection();
    if (!selection || model_->grid() == nullptr) return {};
    return QString::fromStdString(kora::CopySelection(*model_->grid(), *selection));
}

void ReportGridView::CopySelection() {
    const QString text = SelectionText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void ReportGridView::selectAll() {
    if (model_->grid() == nullptr) return;
    if (const std::optional<GridSelection> body = kora::SelectAll(*model_->grid())) Select(*body);
}

void ReportGridView::HeadingDoubleClicked(size_t gridColumn, size_t gridRow) {
    if (model_->grid() == nullptr) return;
    if (const std::optional<GridSelection> s =
            DoubleClickSelection(*model_->grid(), gridColumn, gridRow))
        Select(*s);
}

void ReportGridView::keyPressEvent(QKeyEvent* event) {
    // Only a plain Ctrl+C: Ctrl+Shift+C and the like are left alone.
    if (event->key() == Qt::Key_C && event->modifiers() == Qt::ControlModifier) {
        CopySelection();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ReportGridView::ShowContextMenu(const QPoint& position) {
    QMenu menu(this);
    menu.addAction(tr("&Copy"), this, &ReportGridView::CopySelection);
    menu.addAction(tr("Select &All"), this, &ReportGridView::selectAll);
    menu.exec(viewport()->mapToGlobal(position));
}

bool ReportGridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == corner_ && event->type() == QEvent::Paint) {
        PaintCorner();
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void ReportGridView::PaintCorner() {
    QStylePainter painter(corner_);
    QStyleOptionHeader option;
    option.initFrom(corner_);
    option.rect = corner_->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    const ReportGrid* grid = model_->grid();
    if (grid != nullptr && grid->labelColumn && grid->RowCount() > 0)
        option.text = QString::fromStdString(grid->Cell(0, 0));
    painter.drawControl(QStyle::CE_Header, option);
}

} // namespace kora::app

#include "graph_setts_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "qt_conversions.h"
#include "results/brightness_spread.h"
#include "results/line_record.h"
#include "results/plot_ranges.h"
#include "results/qt/plot_colour.h"

namespace kora::app {

namespace {

constexpr int kMinSize = 50;
constexpr int kMaxSize = 1024;

QSpinBox* SizeBox(int32_t value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(kMinSize, kMaxSize);
    box->setSuffix(QStringLiteral(" px"));
    box->setValue(value);
    return box;
}

constexpr int kColumns = 5;

QString MarkerText(Marker marker) {
    static const char* const kNames[] = {"none", "circle", "square", "triangle", "cross"};
    return QObject::tr(kNames[static_cast<int>(marker)]);
}

QString StyleText(int32_t style) {
    return style <= 3 ? QObject::tr("line %1").arg(style) : QObject::tr("dots %1").arg(style - 3);
}

} // namespace

TGraphSettsDialog::TGraphSettsDialog(ResultsSet& set, int8_t view, int32_t& sameInAll,
                                     QWidget* parent)
    : QDialog(parent), set_(set), sameInAll_(sameInAll), rows_(LinesOfView(set, view)),
      view_(view) {
    setWindowTitle(tr("Line colors and styles"));
    for (const LineRow& row : rows_)
        records_.push_back(
            set_.timeCourses[row.course].lineStyles[static_cast<size_t>(row.record)]);

    axes_ = new QCheckBox(tr("Axes"), this);
    legend_ = new QCheckBox(tr("Legend"), this);
    grid_lines_ = new QCheckBox(tr("Grid lines"), this);
    resize_ = new QCheckBox(tr("Resize with window"), this);
    axes_->setChecked(set_.axis);
    legend_->setChecked(set_.legend);
    grid_lines_->setChecked(set_.grid);
    resize_->setChecked(set_.resize);
    width_ = SizeBox(set_.widthInPx, this);
    height_ = SizeBox(set_.heightInPx, this);

    auto* switches = new QHBoxLayout;
    for (QCheckBox* box : {axes_, legend_, grid_lines_, resize_})
        switches->addWidget(box);
    // The size counts only while the plot does not follow the window.
    auto followSize = [this](bool follows) {
        width_->setEnabled(!follows);
        height_->setEnabled(!follows);
    };
    connect(resize_, &QCheckBox::toggled, this, followSize);
    followSize(set_.resize);
    auto* size = new QFormLayout;
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(width_);
    sizeRow->addWidget(new QLabel(QStringLiteral("x"), this));
    sizeRow->addWidget(height_);
    sizeRow->addStretch(1);
    size->addRow(tr("Plot size in pixels:"), sizeRow);

    BuildGrid();

    auto* spreads = new QHBoxLayout;
    const QString names[] = {QString(), tr("Same in all timecourses"), tr("Increase brightness"),
                             tr("Decrease brightness")};
    for (int which = kSpreadSame; which <= kSpreadDarker; ++which) {
        buttons_[which] = new QPushButton(names[which], this);
        buttons_[which]->setCheckable(true);
        connect(buttons_[which], &QPushButton::toggled, this,
                [this, which](bool down) { KeepOneButtonDown(static_cast<Spread>(which), down); });
        spreads->addWidget(buttons_[which]);
    }
    buttons_[kSpreadSame]->setChecked(sameInAll_ != 0);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &TGraphSettsDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &TGraphSettsDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(switches);
    layout->addLayout(size);
    layout->addLayout(BuildAppearance());
    layout->addWidget(grid_, 1);
    layout->addLayout(spreads);
    layout->addWidget(box);
    resize(520, 520);
}

// Titles, logarithmic axes and run colours.
QLayout* TGraphSettsDialog::BuildAppearance() {
    const bool phase = view_ == kViewPhase2D || view_ == kViewPhase3D;
    showTitle_ = new QCheckBox(tr("Plot title"), this);
    showTitle_->setChecked(set_.showTitle);
    title_ = new QLineEdit(QString::fromStdString(set_.title), this);
    if (!set_.timeCourses.empty())
        title_->setPlaceholderText(QString::fromStdString(set_.timeCourses.front().title));
    yTitle_ = new QLineEdit(QString::fromStdString(set_.yTitle), this);
    // Phase axes are titled by their variables.
    yTitle_->setEnabled(!phase);
    const QString axisNames[] = {tr("Log X"), tr("Log Y"), tr("Log Z")};
    auto* logs = new QHBoxLayout;
    for (int axis = 0; axis < 3; ++axis) {
        log_[axis] = new QCheckBox(axisNames[axis], this);
        log_[axis]->setChecked(phase ? set_.logPhase[static_cast<size_t>(axis)]
                                     : (axis == 0 ? set_.logX : set_.logY));
        log_[axis]->setVisible(axis < 2 || view_ == kViewPhase3D);
        logs->addWidget(log_[axis]);
    }
    runColours_ = new QCheckBox(tr("Runs in colours of their own"), this);
    runColours_->setChecked(set_.runColours);
    logs->addWidget(runColours_);
    logs->addStretch(1);
    auto* form = new QFormLayout;
    form->addRow(showTitle_, title_);
    form->addRow(tr("Y axis title:"), yTitle_);
    form->addRow(logs);
    return form;
}

void TGraphSettsDialog::StoreAppearance() {
    set_.showTitle = showTitle_->isChecked();
    set_.title = title_->text().toStdString();
    set_.yTitle = yTitle_->text().toStdString();
    if (view_ == kViewPhase2D || view_ == kViewPhase3D) {
        for (size_t axis = 0; axis < 3; ++axis)
            set_.logPhase[axis] = log_[axis]->isChecked();
    } else {
        set_.logX = log_[0]->isChecked();
        set_.logY = log_[1]->isChecked();
    }
    set_.runColours = runColours_->isChecked();
    FitLogRanges(set_);
}

void TGraphSettsDialog::BuildGrid() {
    grid_ = new QTableWidget(static_cast<int>(rows_.size()), kColumns, this);
    grid_->setHorizontalHeaderLabels(
        {tr("Line"), tr("Vis."), tr("Style"), tr("Color"), tr("Marker")});
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->horizontalHeader()->setSectionResizeMode(kLineColumn, QHeaderView::Stretch);
    for (int row = 0; row < grid_->rowCount(); ++row) {
        for (int column = 0; column < kColumns; ++column)
            grid_->setItem(row, column, new QTableWidgetItem);
        ShowRow(row);
    }
    grid_->viewport()->installEventFilter(this);
}

void TGraphSettsDialog::ShowRow(int row) {
    const LineStyle& line = records_[static_cast<size_t>(row)];
    const LineRow& what = rows_[static_cast<size_t>(row)];
    QTableWidgetItem* label = grid_->item(row, kLineColumn);
    label->setText(QString::fromStdString(what.label));
    label->setToolTip(QString::fromStdString(FormatLineRecord(line, what.label)));
    grid_->item(row, kVisibleColumn)->setText(line.visible ? tr("yes") : tr("no"));
    grid_->item(row, kStyleColumn)->setText(line.visible ? StyleText(line.style) : QString());
    grid_->item(row, kColourColumn)->setBackground(ToQColor(line.colour));
    grid_->item(row, kMarkerColumn)->setText(line.visible ? MarkerText(line.marker) : QString());
}

bool TGraphSettsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = grid_->indexAt(mouse->position().toPoint());
        if (index.isValid() && mouse->button() == Qt::LeftButton) {
            ClickCell(index.row(), index.column(), mouse->modifiers());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

TGraphSettsDialog::Spread TGraphSettsDialog::spread() const {
    for (int which = kSpreadSame; which <= kSpreadDarker; ++which)
        if (buttons_[which]->isChecked()) return static_cast<Spread>(which);
    return kSpreadNone;
}

void TGraphSettsDialog::KeepOneButtonDown(Spread pressed, bool down) {
    if (!down) return;
    for (int which = kSpreadSame; which <= kSpreadDarker; ++which)
        if (which != pressed) buttons_[which]->setChecked(false);
}

void TGraphSettsDialog::ClickCell(int row, int column, Qt::KeyboardModifiers modifiers) {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || column == kLineColumn) return;
    const Spread mode = spread();
    const bool visible = records_[static_cast<size_t>(row)].visible;
    if (column != kVisibleColumn && !visible) return;
    if (column == kColourColumn && (mode == kSpreadBrighter || mode == kSpreadDarker)) {
        SpreadBrightness(row, mode == kSpreadBrighter);
        return;
    }
    // With "same in all" the colour cell spreads the present colour unasked.
    if (!(column == kColourColumn && mode == kSpreadSame)) ChangeCell(row, column, modifiers);
    if (mode == kSpreadSame) SpreadChange(row, column);
    ShowRow(row);
}

void TGraphSettsDialog::ChangeCell(int row, int column, Qt::KeyboardModifiers modifiers) {
    LineStyle& line = records_[static_cast<size_t>(row)];
    if (column == kVisibleColumn) {
        line.visible = !line.visible;
    } else if (column == kStyleColumn) {
        const int32_t span = kMaxLineStyle - kMinLineStyle + 1;
        const int32_t step = (modifiers & Qt::ShiftModifier) ? span - 1 : 1;
        line.style = kMinLineStyle + (line.style - kMinLineStyle + step) % span;
    } else if (column == kColourColumn) {
        const QColor chosen = QColorDialog::getColor(ToQColor(line.colour), this, tr("Line color"));
        if (chosen.isValid()) line.colour = ToColour(chosen);
    } else if (column == kMarkerColumn) {
        const int step = (modifiers & Qt::ShiftModifier) ? kMarkerCount - 1 : 1;
        line.marker = static_cast<Marker>((static_cast<int>(line.marker) + step) % kMarkerCount);
    }
}

void TGraphSettsDialog::SpreadChange(int row, int column) {
    const LineStyle& from = records_[static_cast<size_t>(row)];
    for (size_t other : RelatedRows(rows_, set_.timeCourses.size(), static_cast<size_t>(row))) {
        LineStyle& to = records_[other];
        if (column == kVisibleColumn) to.visible = from.visible;
        if (column == kStyleColumn) to.style = from.style;
        if (column == kColourColumn) to.colour = from.colour;
        if (column == kMarkerColumn) to.marker = from.marker;
        ShowRow(static_cast<int>(other));
    }
}

void TGraphSettsDialog::SpreadBrightness(int row, bool increasing) {
    const std::vector<size_t> related =
        RelatedRows(rows_, set_.timeCourses.size(), static_cast<size_t>(row));
    const Colour clicked = ResolveColour(records_[static_cast<size_t>(row)].colour);
    const std::vector<Colour> colours = kora::SpreadBrightness(clicked, related.size(), increasing);
    for (size_t i = 0; i < related.size() && i < colours.size(); ++i) {
        records_[related[i]].colour = colours[i];
        ShowRow(static_cast<int>(related[i]));
    }
}

void TGraphSettsDialog::accept() {
    set_.axis = axes_->isChecked();
    set_.legend = legend_->isChecked();
    set_.grid = grid_lines_->isChecked();
    set_.resize = resize_->isChecked();
    set_.widthInPx = width_->value();
    set_.heightInPx = height_->value();
    // Each row goes back through its text form, as files carry it.
    for (size_t i = 0; i < rows_.size(); ++i) {
        LineStyle& target =
            set_.timeCourses[rows_[i].course].lineStyles[static_cast<size_t>(rows_[i].record)];
        ParseLineRecord(FormatLineRecord(records_[i], ""), target);
        target.marker = records_[i].marker;
    }
    StoreAppearance();
    sameInAll_ = buttons_[kSpreadSame]->isChecked() ? 1 : 0;
    QDialog::accept();
}

} // namespace kora::app

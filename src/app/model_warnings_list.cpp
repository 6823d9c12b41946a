#include "model_warnings_list.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QStandardItemModel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace kora::app {
namespace {

constexpr int kVisibleRows = 4;

QString EntryText(const ModelWarning& warning) {
    const QString text = QString::fromStdString(warning.text);
    return warning.line > 0 ? QObject::tr("Line %1: %2").arg(warning.line).arg(text) : text;
}

} // namespace

ModelWarningsList::ModelWarningsList(QWidget* parent)
    : QFrame(parent), heading_(new QLabel(this)), view_(new QListView(this)),
      model_(new QStandardItemModel(this)) {
    setObjectName(QStringLiteral("ModelWarnings"));
    setFrameShape(QFrame::StyledPanel);
    view_->setModel(model_);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setUniformItemSizes(true);
    view_->setMaximumHeight(view_->sizeHintForRow(0) > 0 ? view_->sizeHintForRow(0) * kVisibleRows
                                                         : fontMetrics().height() * 6);
    auto* close = new QToolButton(this);
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setAutoRaise(true);
    close->setToolTip(tr("Hide the warnings"));
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    auto* top = new QHBoxLayout;
    top->addWidget(heading_, 1);
    top->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(view_);
    // A click and the keyboard's Enter both choose.
    auto choose = [this](const QModelIndex& index) {
        const int line = index.data(kLineRole).toInt();
        if (line > 0) emit lineChosen(line);
    };
    connect(view_, &QListView::clicked, this, choose);
    connect(view_, &QListView::activated, this, choose);
    hide();
}

void ModelWarningsList::SetWarnings(const std::vector<ModelWarning>& warnings) {
    model_->clear();
    for (const ModelWarning& warning : warnings) {
        auto* item = new QStandardItem(EntryText(warning));
        item->setData(warning.line, kLineRole);
        item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
        model_->appendRow(item);
    }
    heading_->setText(
        warnings.size() == 1
            ? tr("1 warning: the model may not mean what it says")
            : tr("%1 warnings: the model may not mean what it says").arg(warnings.size()));
    setVisible(!warnings.empty());
}

} // namespace kora::app

#include "document_splitter.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace kora::app {
namespace {

constexpr int kStripWidth = 14;
constexpr int kHandleWidth = 4;

// The buttons sit on a narrow strip of their own between the panes: a
// handle would vanish with the pane beside it.
QWidget* ButtonStrip(DocumentSplitter* splitter) {
    auto* strip = new QWidget(splitter);
    strip->setFixedWidth(kStripWidth);
    auto* layout = new QVBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addStretch();
    const auto add = [strip, layout](Qt::ArrowType arrow, const QString& tip, auto action) {
        auto* button = new QToolButton(strip);
        button->setArrowType(arrow);
        button->setAutoRaise(true);
        button->setToolTip(tip);
        button->setFixedSize(kStripWidth, kStripWidth + 6);
        QObject::connect(button, &QToolButton::clicked, strip, action);
        layout->addWidget(button);
    };
    add(Qt::LeftArrow, DocumentSplitter::tr("Widen the results"),
        [splitter] { splitter->StepLeft(); });
    add(Qt::RightArrow, DocumentSplitter::tr("Widen the editor"),
        [splitter] { splitter->StepRight(); });
    layout->addStretch();
    return strip;
}

} // namespace

DocumentSplitter::DocumentSplitter(QWidget* editor, QWidget* results, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent) {
    setHandleWidth(kHandleWidth);
    setChildrenCollapsible(false);
    addWidget(editor);
    addWidget(ButtonStrip(this));
    addWidget(results);
    setStretchFactor(1, 0);
    connect(this, &QSplitter::splitterMoved, this, &DocumentSplitter::TakePerMille);
    ApplyLayout();
}

void DocumentSplitter::SetPaneLayout(PaneLayout layout) {
    if (layout == layout_) return;
    layout_ = layout;
    ApplyLayout();
    emit paneLayoutChanged(layout_);
}

void DocumentSplitter::SetPerMille(int perMille) {
    perMille_ = std::clamp(perMille, 0, 1000);
    ApplyLayout();
}

void DocumentSplitter::StepLeft() {
    SetPaneLayout(layout_ == kEditorOnly ? kBoth : kResultsOnly);
}

void DocumentSplitter::StepRight() {
    SetPaneLayout(layout_ == kResultsOnly ? kBoth : kEditorOnly);
}

void DocumentSplitter::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    ApplyLayout();
}

void DocumentSplitter::ApplyLayout() {
    if (count() < 3) return;
    applying_ = true;
    widget(0)->setVisible(layout_ != kResultsOnly);
    widget(2)->setVisible(layout_ != kEditorOnly);
    if (layout_ == kBoth) {
        const int panes = std::max(width() - kStripWidth - 2 * handleWidth(), 0);
        const int editor = panes * perMille_ / 1000;
        setSizes({editor, kStripWidth, panes - editor});
    }
    applying_ = false;
}

void DocumentSplitter::TakePerMille() {
    if (applying_ || layout_ != kBoth) return;
    const QList<int> widths = sizes();
    const int panes = widths.value(0) + widths.value(2);
    if (panes > 0) perMille_ = widths.value(0) * 1000 / panes;
}

} // namespace kora::app

#include "document_status_bar.h"

#include <QLabel>

namespace kora::app {
namespace {

constexpr std::array<int, DocumentStatusBar::kPanelCount> kPanelWidths{70, 5, 40, 70, 50};

} // namespace

DocumentStatusBar::DocumentStatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(false);
    for (int i = 0; i < kPanelCount; ++i) {
        auto* panel = new QLabel(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(kPanelWidths[static_cast<size_t>(i)]);
        // The status text grows with the window; the others keep their width.
        addWidget(panel, i == 0 ? 1 : 0);
        panels_[static_cast<size_t>(i)] = panel;
    }
}

void DocumentStatusBar::SetPanelText(int panel, const QString& text) {
    if (panel >= 0 && panel < kPanelCount) panels_[static_cast<size_t>(panel)]->setText(text);
}

QString DocumentStatusBar::panelText(int panel) const {
    return panel >= 0 && panel < kPanelCount ? panels_[static_cast<size_t>(panel)]->text()
                                             : QString();
}

} // namespace kora::app

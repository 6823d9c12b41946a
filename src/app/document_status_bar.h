// The status bar of a document window: five panels, the first for the
// document's status text.
#pragma once

#include <QStatusBar>
#include <array>

class QLabel;

namespace kora::app {

class DocumentStatusBar : public QStatusBar {
    Q_OBJECT

public:
    static constexpr int kPanelCount = 5;

    explicit DocumentStatusBar(QWidget* parent = nullptr);

    void SetPanelText(int panel, const QString& text);
    QString panelText(int panel) const;

private:
    std::array<QLabel*, kPanelCount> panels_{};
};

} // namespace kora::app

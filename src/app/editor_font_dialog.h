// Chooses the editor's font among the scalable fixed-pitch fonts, at a size
// from 6 to 24 points.
#pragma once

#include <QDialog>
#include <QFont>
#include <optional>

class QCheckBox;
class QFontComboBox;
class QLabel;
class QSpinBox;

namespace kora::app {

class EditorFontDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMinPointSize = 6;
    static constexpr int kMaxPointSize = 24;

    explicit EditorFontDialog(const QFont& initial, QWidget* parent = nullptr);

    QFont selectedFont() const;

    // The chosen font, or nothing when the user cancelled.
    static std::optional<QFont> GetFont(const QFont& initial, QWidget* parent);

private:
    void UpdateSample();

    QFontComboBox* family_;
    QSpinBox* size_;
    QCheckBox* bold_;
    QCheckBox* italic_;
    QLabel* sample_;
};

} // namespace kora::app

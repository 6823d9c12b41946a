#include "editor_font_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kora::app {

EditorFontDialog::EditorFontDialog(const QFont& initial, QWidget* parent)
    : QDialog(parent), family_(new QFontComboBox(this)), size_(new QSpinBox(this)),
      bold_(new QCheckBox(tr("&Bold"), this)), italic_(new QCheckBox(tr("&Italic"), this)),
      sample_(new QLabel(QStringLiteral("X1'= -X1"), this)) {
    setWindowTitle(tr("Editor Font"));
    family_->setFontFilters(QFontComboBox::MonospacedFonts | QFontComboBox::ScalableFonts);
    family_->setEditable(false); // a typed name could be any font
    family_->setCurrentFont(initial);
    size_->setRange(kMinPointSize, kMaxPointSize);
    size_->setSuffix(tr(" pt"));
    size_->setValue(initial.pointSize());
    bold_->setChecked(initial.bold());
    italic_->setChecked(initial.italic());
    sample_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    sample_->setMinimumSize(260, 60);
    sample_->setAlignment(Qt::AlignCenter);

    auto* styles = new QHBoxLayout;
    styles->addWidget(bold_);
    styles->addWidget(italic_);
    styles->addStretch();
    auto* form = new QFormLayout;
    form->addRow(tr("&Font:"), family_);
    form->addRow(tr("&Size:"), size_);
    form->addRow(QString(), styles);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(sample_);
    layout->addWidget(buttons);

    connect(family_, &QFontComboBox::currentFontChanged, this, &EditorFontDialog::UpdateSample);
    connect(size_, &QSpinBox::valueChanged, this, &EditorFontDialog::UpdateSample);
    connect(bold_, &QCheckBox::toggled, this, &EditorFontDialog::UpdateSample);
    connect(italic_, &QCheckBox::toggled, this, &EditorFontDialog::UpdateSample);
    UpdateSample();
}

QFont EditorFontDialog::selectedFont() const {
    QFont font = family_->currentFont();
    font.setPointSize(size_->value());
    font.setBold(bold_->isChecked());
    font.setItalic(italic_->isChecked());
    font.setFixedPitch(true);
    return font;
}

std::optional<QFont> EditorFontDialog::GetFont(const QFont& initial, QWidget* parent) {
    EditorFontDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.selectedFont();
}

void EditorFontDialog::UpdateSample() {
    sample_->setFont(selectedFont());
}

} // namespace kora::app

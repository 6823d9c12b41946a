#include "error_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kora::app {

TErrorDialog::TErrorDialog(QWidget* parent) : QDialog(parent), text_(new QPlainTextEdit(this)) {
    setWindowTitle(tr("Error"));
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    resize(520, 260);
}

void TErrorDialog::SetReport(const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines)
        text.append(QString::fromStdString(line));
    text_->setPlainText(text.join(QLatin1Char('\n')));
}

QString TErrorDialog::reportText() const {
    return text_->toPlainText();
}

void TErrorDialog::ShowReport(QWidget* parent, const std::vector<std::string>& lines) {
    TErrorDialog dialog(parent);
    dialog.SetReport(lines);
    dialog.exec(); // a dialog with a parent opens centred over it
}

} // namespace kora::app

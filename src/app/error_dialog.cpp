#include "error_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace kora::app {
namespace {

constexpr int kMaxWidth = 1100;
constexpr int kFrameWidth = 64;

} // namespace

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
    // Wide enough for the longest line (a located message is long), within
    // the screen.
    const QFontMetrics metrics(text_->font());
    int widest = 0;
    for (const QString& line : text)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    // Margins, frame and scroll bar: the dialog is not laid out yet.
    const int frame = kFrameWidth + 2 * metrics.averageCharWidth();
    int room = kMaxWidth;
    if (const QScreen* shown = screen()) room = std::min(room, shown->availableGeometry().width());
    resize(std::clamp(widest + frame, width(), room), height());
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

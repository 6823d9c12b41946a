#include "messages_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "messages_editor.h"
#include "subwindow_close.h"
#include "text_file_save.h"

namespace kora::app {
namespace {

const QString kSaveFilter = QStringLiteral("Text Files (*.txt);;Any Files (*)");
// Long enough to gather a loop's many writes into one insertion, short
// enough to look immediate.
constexpr int kFlushDelayMs = 30;

} // namespace

TOutForm::TOutForm(const QString& writer, const QString& caption, QWidget* parent)
    : QWidget(parent), writer_(writer) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(kFlushDelayMs);
    connect(&flushTimer_, &QTimer::timeout, this, &TOutForm::Flush);

    editor_ = new MessagesEditor;
    editor_->setObjectName(QStringLiteral("ScriptsMemo"));
    auto* pages = new QTabWidget;
    pages->addTab(editor_, tr("Scripts"));
    saveButton_ = new QPushButton(tr("&Save"));
    connect(saveButton_, &QPushButton::clicked, this, &TOutForm::Save);
    closeButton_ = new QPushButton(tr("&Close"));
    connect(closeButton_, &QPushButton::clicked, this, [this] { CloseWithFrame(*this); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveButton_);
    buttons->addWidget(closeButton_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(pages, 1);
    resize(600, 400);
}

void TOutForm::Append(const QString& text) {
    pending_ += text;
    if (!flushTimer_.isActive()) flushTimer_.start();
}

void TOutForm::Flush() {
    flushTimer_.stop();
    if (pending_.isEmpty()) return;
    editor_->AppendVerbatim(pending_);
    pending_.clear();
}

void TOutForm::SetBusy(bool busy) {
    // What the script wrote is all there by the time it may be saved.
    if (!busy) Flush();
    busy_ = busy;
    saveButton_->setEnabled(!busy);
    closeButton_->setEnabled(!busy);
}

QString TOutForm::Text() {
    Flush();
    return editor_->toPlainText();
}

QString TOutForm::SaveTo(const QString& path) {
    // Text files of the system end their lines with CR LF.
    QString text = Text();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return WriteTextFile(path, text.toStdString());
}

void TOutForm::Save() {
    // Until something was saved, the writing document's folder is the start.
    const QString path =
        AskTextFileName(this, kSaveFilter, lastSavePath_.isEmpty() ? writer_ : lastSavePath_);
    if (path.isEmpty()) return;
    if (const QString failure = SaveTo(path); !failure.isEmpty()) {
        ShowWriteFailure(this, path, failure);
        return;
    }
    lastSavePath_ = path;
}

void TOutForm::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TOutForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CloseWithFrame(*this); // refused while busy
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace kora::app

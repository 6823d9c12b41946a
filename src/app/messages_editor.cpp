#include "messages_editor.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>

#include "text_room.h"

namespace kora::app {

MessagesEditor::MessagesEditor(QWidget* parent) : QPlainTextEdit(parent) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // Thousands of appends would otherwise each keep an undo step.
    setUndoRedoEnabled(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &MessagesEditor::ShowContextMenu);
}

void MessagesEditor::AppendVerbatim(const QString& text) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    if (document()->characterCount() - 1 > kMaxCharacters) DropOldestLines();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void MessagesEditor::DropOldestLines() {
    const qsizetype excess = document()->characterCount() - 1 - kMaxCharacters;
    QTextCursor cursor(document());
    cursor.setPosition(static_cast<int>(excess), QTextCursor::KeepAnchor);
    // Up to the start of the next line, unless that would empty the text.
    const QTextBlock next = cursor.block().next();
    if (cursor.positionInBlock() > 0 && next.isValid())
        cursor.setPosition(next.position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

qsizetype MessagesEditor::Room() const {
    const QTextCursor cursor = textCursor();
    const qsizetype used = document()->characterCount() - 1;
    return kMaxCharacters - used + (cursor.selectionEnd() - cursor.selectionStart());
}

void MessagesEditor::keyPressEvent(QKeyEvent* event) {
    const bool inserts = !event->text().isEmpty() && event->text().at(0).isPrint();
    if (inserts && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && Room() < 1) {
        QApplication::beep();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MessagesEditor::insertFromMimeData(const QMimeData* source) {
    InsertTextWithinRoom(*this, source, Room());
}

void MessagesEditor::ShowContextMenu(const QPoint& position) {
    QMenu menu(this);
    const bool selected = textCursor().hasSelection();
    menu.addAction(tr("Cu&t"), this, &QPlainTextEdit::cut)->setEnabled(selected && !isReadOnly());
    menu.addAction(tr("&Copy"), this, &QPlainTextEdit::copy)->setEnabled(selected);
    menu.addAction(tr("&Paste"), this, &QPlainTextEdit::paste)->setEnabled(canPaste());
    menu.addSeparator();
    menu.addAction(tr("Select &All"), this, &QPlainTextEdit::selectAll);
    menu.exec(viewport()->mapToGlobal(position));
}

} // namespace kora::app

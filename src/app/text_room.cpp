#include "text_room.h"

#include <QApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <algorithm>

namespace kora::app {

void InsertTextWithinRoom(QPlainTextEdit& editor, const QMimeData* source, qsizetype room) {
    if (!source->hasText()) return;
    QString text = source->text();
    if (text.size() > room) {
        QApplication::beep();
        text.truncate(std::max<qsizetype>(room, 0));
    }
    editor.textCursor().insertText(text);
    editor.ensureCursorVisible();
}

} // namespace kora::app

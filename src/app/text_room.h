// Text editors with a size limit: what is pasted or dropped is cut to the
// room left, with a beep, so a full editor never silently loses its end.
#pragma once

#include <QtGlobal>

class QMimeData;
class QPlainTextEdit;

namespace kora::app {

void InsertTextWithinRoom(QPlainTextEdit& editor, const QMimeData* source, qsizetype room);

} // namespace kora::app

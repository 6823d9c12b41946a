#include "subwindow_close.h"

#include <QMdiSubWindow>

namespace kora::app {

void CloseWithFrame(QWidget& window) {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(window.parentWidget()))
        frame->close();
    else
        window.close();
}

} // namespace kora::app

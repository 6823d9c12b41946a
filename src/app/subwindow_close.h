// Closing a window that may sit in an MDI frame: the frame goes with it, so
// that no empty frame stays behind on the desktop.
#pragma once

class QWidget;

namespace kora::app {

// Closes `window`'s MDI frame when it has one (the window's own close rules
// still decide), else the window itself.
void CloseWithFrame(QWidget& window);

} // namespace kora::app

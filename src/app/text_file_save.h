// Saving a window's text: the save dialog both text windows share, and the
// write that replaces a file in one step.
#pragma once

#include <QString>
#include <string_view>

class QWidget;

namespace kora::app {

// Asks for a file to save to, starting in the folder of `lastPath`, with
// "txt" added to a name without a suffix and a question before replacing a
// file. `filter` uses Qt's ";;" form. Empty when cancelled.
QString AskTextFileName(QWidget* parent, const QString& filter, const QString& lastPath);

// Writes `contents` to `path`; "" on success, else the reason.
QString WriteTextFile(const QString& path, std::string_view contents);

// Tells the user that `path` could not be written and why.
void ShowWriteFailure(QWidget* parent, const QString& path, const QString& reason);

} // namespace kora::app

// The folder file dialogs start in: the active document's folder, else the
// folder a dialog last used (the "OpenDir" setting), which every dialog
// that was accepted updates.
#pragma once

#include <QString>
#include <string>

namespace kora::app {

class FileDialogFolder {
public:
    // The setting the last folder is kept in; null forgets it.
    static void BindSetting(std::string* openDir);
    // The active document's folder; empty when it has none.
    static void SetDocumentFolder(const QString& folder);
    // Where a dialog starts: `name` in the start folder (an absolute `name`
    // as it is), or the start folder alone.
    static QString StartPath(const QString& name = {});
    // A dialog returned `path` (a file or a folder): its folder is the last.
    static void Remember(const QString& path);
};

} // namespace kora::app

#include "settings_session.h"

#include "settings/qt/qt_settings_store.h"
#include "settings/qt/settings_file.h"
#include "settings/settings_store.h"

namespace kora::app {

bool SettingsSession::Load(const std::optional<std::string>& iniFile, std::string& error) {
    Settings loaded;
    if (iniFile) {
        std::vector<std::string> warnings; // the batch tool's check reports them
        error = LoadSettingsFile(*iniFile, loaded, warnings);
        if (!error.empty()) return false;
    } else {
        LoadUserSettings(loaded);
    }
    iniFile_ = iniFile;
    settings_ = std::move(loaded);
    return true;
}

bool SettingsSession::Save() {
    if (iniFile_) {
        QtSettingsStore store(*iniFile_);
        return SaveSettings(settings_, store);
    }
    QtSettingsStore store;
    return SaveSettings(settings_, store);
}

} // namespace kora::app

#include "settings_session.h"

#include "cli/batch_settings.h"
#include "settings/qt/qt_settings_store.h"
#include "settings/settings_store.h"

namespace kora::app {

bool SettingsSession::Load(const std::optional<std::string>& iniFile, std::string& error) {
    cli::CliOptions options;
    options.settingsFile = iniFile;
    cli::BatchSettings loaded = cli::LoadBatchSettings(options);
    error = loaded.error;
    if (!loaded.ok()) return false;
    iniFile_ = iniFile;
    settings_ = std::move(loaded.settings);
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

// The settings the desktop application runs with, and where they go back at
// exit: the user's own store, or the INI file named by --settings, read with
// the same checks as the batch tool's.
#pragma once

#include <optional>
#include <string>

#include "settings/settings.h"

namespace kora::app {

class SettingsSession {
public:
    // Loads the settings; `error` says why an INI file was unusable.
    bool Load(const std::optional<std::string>& iniFile, std::string& error);
    // Writes the settings back where they came from; false when it failed.
    bool Save();

    Settings& settings() { return settings_; }

private:
    std::optional<std::string> iniFile_;
    Settings settings_;
};

} // namespace kora::app

// Loading the settings a front end runs with: the user's own store, or the
// [General] group of an INI file named on the command line.
#pragma once

#include <string>
#include <vector>

#include "settings/settings.h"

namespace kora {

// The user's own settings; problems there leave the initial values.
void LoadUserSettings(Settings& settings);

// The values of the INI file's [General] group (values it lacks keep their
// initial values). Returns why the file is unusable (missing, unreadable,
// malformed), or "" on success; `warnings` gets the values that were not
// taken as written and the keys no setting has.
std::string LoadSettingsFile(const std::string& path, Settings& settings,
                             std::vector<std::string>& warnings);

} // namespace kora

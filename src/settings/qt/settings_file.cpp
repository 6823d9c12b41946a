#include "settings_file.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "qt_settings_store.h"
#include "settings/settings_store.h"
#include "settings/stored_value_check.h"

namespace kora {
namespace {

// QSettings treats a missing file as an empty one; a caller must not.
std::string CheckIniFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return "settings file '" + path + "' does not exist";
    if (std::filesystem::is_directory(path, error))
        return "settings file '" + path + "' is a directory";
    if (!std::ifstream(path)) return "settings file '" + path + "' cannot be read";
    return std::string();
}

} // namespace

void LoadUserSettings(Settings& settings) {
    const QtSettingsStore store;
    LoadSettings(settings, store);
}

std::string LoadSettingsFile(const std::string& path, Settings& settings,
                             std::vector<std::string>& warnings) {
    std::string error = CheckIniFile(path);
    if (!error.empty()) return error;
    QtSettingsStore store(path);
    if (!store.Readable()) return "settings file '" + path + "' is not a valid INI file";
    LoadSettings(settings, store);
    warnings = StoredValueProblems(store);
    for (std::string& unknown : UnknownKeyProblems(store.Keys()))
        warnings.push_back(std::move(unknown));
    return std::string();
}

} // namespace kora

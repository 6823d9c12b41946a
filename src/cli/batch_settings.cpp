#include "batch_settings.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

#include "settings/settings_store.h"
#include "settings/stored_value_check.h"

#ifdef KORA_WITH_QT
#include "settings/qt/qt_settings_store.h"
#endif

namespace kora::cli {

#ifdef KORA_WITH_QT
namespace {

// QSettings treats a missing file as an empty one; the caller must not.
std::string CheckIniFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return "settings file '" + path + "' does not exist";
    if (std::filesystem::is_directory(path, error))
        return "settings file '" + path + "' is a directory";
    if (!std::ifstream(path)) return "settings file '" + path + "' cannot be read";
    return std::string();
}

int WarnAboutStoredValues(const std::string& path, const QtSettingsStore& store) {
    std::vector<std::string> problems = StoredValueProblems(store);
    for (std::string& unknown : UnknownKeyProblems(store.Keys()))
        problems.push_back(std::move(unknown));
    for (const std::string& problem : problems)
        std::cerr << path << ": warning: " << problem << '\n';
    return static_cast<int>(problems.size());
}

} // namespace
#endif

BatchSettings LoadBatchSettings(const CliOptions& options) {
    BatchSettings result;
#ifdef KORA_WITH_QT
    if (options.settingsFile) {
        result.error = CheckIniFile(*options.settingsFile);
        if (!result.ok()) return result;
        QtSettingsStore store(*options.settingsFile);
        if (!store.Readable()) {
            result.error = "settings file '" + *options.settingsFile + "' is not a valid INI file";
            return result;
        }
        LoadSettings(result.settings, store);
        result.warnings = WarnAboutStoredValues(*options.settingsFile, store);
    } else {
        const QtSettingsStore store;
        LoadSettings(result.settings, store);
    }
#else
    if (options.settingsFile) result.error = "settings files are not supported in this build";
#endif
    return result;
}

} // namespace kora::cli

#include "batch_settings.h"

#include <iostream>

#ifdef KORA_WITH_QT
#include "settings/qt/settings_file.h"
#endif

namespace kora::cli {

BatchSettings LoadBatchSettings(const CliOptions& options) {
    BatchSettings result;
#ifdef KORA_WITH_QT
    if (options.settingsFile) {
        std::vector<std::string> warnings;
        result.error = LoadSettingsFile(*options.settingsFile, result.settings, warnings);
        for (const std::string& warning : warnings)
            std::cerr << *options.settingsFile << ": warning: " << warning << '\n';
        result.warnings = static_cast<int>(warnings.size());
    } else {
        LoadUserSettings(result.settings);
    }
#else
    if (options.settingsFile) result.error = "settings files are not supported in this build";
#endif
    return result;
}

} // namespace kora::cli

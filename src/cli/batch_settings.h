// The settings kora-batch runs with: the user's own, or those of the INI
// file named by --settings.
#pragma once

#include <string>

#include "cli_options.h"
#include "settings/settings.h"

namespace kora::cli {

struct BatchSettings {
    Settings settings;
    std::string error; // empty on success; else why the INI file was unusable

    bool ok() const { return error.empty(); }
};

// With --settings FILE.ini the values of the file's [General] group are
// loaded (values it lacks keep their initial values); a missing, unreadable or
// malformed file is an error the caller reports with kExitNoInput. Without it
// the per-user settings are loaded; problems there leave the initial values.
BatchSettings LoadBatchSettings(const CliOptions& options);

} // namespace kora::cli

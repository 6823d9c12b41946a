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
    // Values of the --settings file that were not taken as written, already
    // printed as warnings on stderr.
    int warnings = 0;

    bool ok() const { return error.empty(); }
    // With --strict a warning is an error.
    bool Refused(const CliOptions& options) const { return options.strict && warnings > 0; }
};

// With --settings FILE.ini the values of the file's [General] group are
// loaded (values it lacks keep their initial values); a missing, unreadable or
// malformed file is an error the caller reports with kExitNoInput. Without it
// the per-user settings are loaded; problems there leave the initial values.
// Values of the file that are not taken as written are warned about.
BatchSettings LoadBatchSettings(const CliOptions& options);

} // namespace kora::cli

// The command line of the desktop application: one optional file to open,
// the settings file to use instead of the user's own, and the two questions
// that are answered on standard output without a window.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kora::app {

struct AppOptions {
    std::optional<std::string> file;         // opened on the first show
    std::optional<std::string> settingsFile; // --settings FILE.ini
    bool help = false;
    bool version = false;
    std::string error; // empty when the arguments were understood

    bool ok() const { return error.empty(); }
};

// `args` excludes the program name.
AppOptions ParseAppCommandLine(const std::vector<std::string>& args);

std::string AppUsageText();
// "kora VERSION (build BUILD)".
std::string AppVersionText();
std::string AppVersion();
std::string AppBuild();

} // namespace kora::app

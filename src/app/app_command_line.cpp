#include "app_command_line.h"

namespace kora::app {

AppOptions ParseAppCommandLine(const std::vector<std::string>& args) {
    AppOptions options;
    for (size_t i = 0; i < args.size() && options.ok(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version" || arg == "-v") {
            options.version = true;
        } else if (arg == "--settings") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                options.error = "--settings needs the name of an INI file";
            else
                options.settingsFile = args[++i];
        } else if (arg.rfind("--settings=", 0) == 0) {
            options.settingsFile = arg.substr(11);
            if (options.settingsFile->empty())
                options.error = "--settings needs the name of an INI file";
        } else if (arg == "--") {
            if (i + 2 < args.size() || (i + 1 < args.size() && options.file))
                options.error = "only one file can be opened from the command line";
            else if (i + 1 < args.size())
                options.file = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            options.error = "unknown option '" + arg + "'";
        } else if (options.file) {
            options.error = "only one file can be opened from the command line";
        } else {
            options.file = arg;
        }
    }
    return options;
}

std::string AppUsageText() {
    return "Usage: kora [--settings FILE.ini] [FILE]\n"
           "       kora --help | --version\n"
           "\n"
           "Starts the KORA workbench and opens FILE, a model (.krm) or a results\n"
           "file (.res). When KORA is already running, FILE is opened there.\n"
           "\n"
           "Options:\n"
           "  --settings FILE.ini  read and write the settings in FILE.ini instead of\n"
           "                       the user's own settings\n"
           "  -h, --help           show this text and exit\n"
           "  -v, --version        show the version and build and exit\n";
}

std::string AppVersion() {
    return KORA_VERSION;
}

std::string AppBuild() {
    return KORA_BUILD;
}

std::string AppVersionText() {
    return "kora " + AppVersion() + " (build " + AppBuild() + ")\n";
}

} // namespace kora::app

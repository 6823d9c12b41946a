#include "commands.h"

#include <iostream>

namespace kora::cli {

int RunPlotCommand(const CliOptions&) {
    std::cerr << "kora-batch: the 'plot' command is not available in this build\n";
    return kExitUnavailable;
}

} // namespace kora::cli

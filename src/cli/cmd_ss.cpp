#include "commands.h"

#include <iostream>

namespace kora::cli {

int RunSteadyStateCommand(const CliOptions&) {
    std::cerr << "kora-batch: the 'ss' command is not available in this build\n";
    return kExitUnavailable;
}

} // namespace kora::cli

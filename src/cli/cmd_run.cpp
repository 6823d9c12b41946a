#include "commands.h"

#include <iostream>

namespace kora::cli {

int RunRunCommand(const CliOptions&) {
    std::cerr << "kora-batch: the 'run' command is not available in this build\n";
    return kExitUnavailable;
}

} // namespace kora::cli

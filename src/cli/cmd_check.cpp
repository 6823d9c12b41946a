#include "commands.h"

#include <iostream>

namespace kora::cli {

int RunCheckCommand(const CliOptions&) {
    std::cerr << "kora-batch: the 'check' command is not available in this build\n";
    return kExitUnavailable;
}

} // namespace kora::cli

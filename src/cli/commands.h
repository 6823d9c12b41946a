// The commands of kora-batch; each returns the process exit code.
#pragma once

#include "cli_options.h"

namespace kora::cli {

int RunCheckCommand(const CliOptions& options);
int RunRunCommand(const CliOptions& options);
int RunSteadyStateCommand(const CliOptions& options);
int RunPlotCommand(const CliOptions& options);

} // namespace kora::cli

// The commands of kora-batch; each returns the process exit code.
#pragma once

#include <string>
#include <vector>

#include "cli_options.h"
#include "sbml/sbml_exchange.h"

namespace kora::cli {

int RunCheckCommand(const CliOptions& options);
int RunRunCommand(const CliOptions& options);
int RunSteadyStateCommand(const CliOptions& options);
int RunPlotCommand(const CliOptions& options);
int RunImportCommand(const CliOptions& options);
int RunExportCommand(const CliOptions& options);
int RunFitCommand(const CliOptions& options);

// Shared by import and export: messages on stderr, and the exit code.
// Unavailable with one problem: the SBML module could not be loaded, why.
int ReportSbmlProblems(SbmlStatus status, const std::vector<std::string>& problems,
                       const std::string& file);
// The converted text on stdout, or atomically in -o FILE.
int WriteConverted(const CliOptions& options, const std::string& text);

} // namespace kora::cli

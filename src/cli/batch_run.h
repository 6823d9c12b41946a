// `kora-batch run`: the model file's script (or its implicit single solve)
// executed by the same document code the desktop application uses.
#pragma once

#include <ostream>

#include "cli_options.h"
#include "model/model_text.h"
#include "settings/settings.h"

namespace kora::cli {

// The settings of the run: the loaded ones with --method, --tol, --min-order
// and --max-order applied. Without --method the "Method" setting decides:
// LSODA unless it is "Taylor".
Settings RunSettings(const CliOptions& options, const Settings& loaded);

// Runs the script of `options.input`, whose lines were read as `lines`,
// with `settings`; WRITE output and steady-state reports go to `out`, boxes,
// error reports and questions to `err`. Ctrl-C acts as Stop. Returns the
// exit code.
int RunScriptForBatch(const CliOptions& options, const Settings& settings, const TextLines& lines,
                      std::ostream& out, std::ostream& err);

} // namespace kora::cli

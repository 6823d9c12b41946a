// What every batch command that takes a model file does first: settings,
// the file's lines, and the model's predefined names from the settings.
#pragma once

#include <ostream>

#include "batch_settings.h"
#include "cli_options.h"
#include "model/error_display.h"
#include "model/krm_parser.h"
#include "model/model_text.h"
#include "settings/settings.h"
#include "solve/model_settings.h"

namespace kora::cli {

struct BatchModelInput {
    Settings settings;
    TextLines editorLines; // the file's lines as the editor would hold them
};

// Loads the settings and reads the input file; on failure prints one line on
// `err` and returns kExitNoInput, else kExitOk.
int LoadBatchModelInput(const CliOptions& options, BatchModelInput& input, std::ostream& err);

} // namespace kora::cli

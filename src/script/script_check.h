// Checking the script of a model text without running it (the batch tool's
// "check" command).
#pragma once

#include <string>
#include <vector>

#include "model/model_text.h"
#include "script_resolve.h"

namespace kora {

class WarningBoxes;

// Splits `editorLines` as Run does (a text without a script block is the
// script "run"), prepares the script and shows its first error through
// host.WarningBox. True when the script is valid; then `serialLoops`, if
// given, receives a line for every SETTING loop that cannot run its passes in
// parallel: the loop's line and why.
bool CheckScript(const TextLines& editorLines, const ScriptDocumentInfo& document,
                 WarningBoxes& host, std::vector<std::string>* serialLoops = nullptr);

} // namespace kora

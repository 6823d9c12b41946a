// Preparation of a document's script: the lines become a checked list of
// commands, with loops matched, value lists expanded and file names resolved.
#pragma once

#include <string>
#include <vector>

#include "script_command.h"
#include "script_resolve.h"

namespace kora {

class WarningBoxes;

// The prepared script and the flags its execution starts from. The document
// owns one and keeps it until the next Run prepares a new one.
struct PreparedScript {
    std::vector<ScriptCommandStatus> commands;
    bool scriptWrites = false; // some command writes into the messages window
    bool continuation = false; // the next write continues the current line
    bool superimpose = true;   // new solutions are added to earlier ones
};

// Fills `prepared` from `scriptLines`. On an invalid script the first error is
// shown through host.WarningBox, `prepared.commands` is left empty and false
// is returned.
bool Prepare(const std::vector<std::string>& scriptLines, const ScriptDocumentInfo& document,
             PreparedScript& prepared, WarningBoxes& host);

} // namespace kora

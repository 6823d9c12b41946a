// Converting between SBML documents and model texts. Both front ends call
// these; they never throw and never write files.
#pragma once

#include <string>
#include <vector>

#include "model/model_text.h"

namespace kora {

enum class SbmlStatus {
    Ok = 0,
    Unavailable,  // this build has no libSBML
    Unreadable,   // the file cannot be opened
    Invalid,      // libSBML reports errors; `problems` holds "line N: message"
    Unconvertible // constructs the model language cannot express, one per problem
};

// False when this build has no libSBML.
bool SbmlAvailable();

// Reads an SBML file (Levels 2 and 3) and converts it into a model text.
// On any failure `text` stays empty and `problems` says why.
SbmlStatus ImportSbmlFile(const std::string& path, std::string& text,
                          std::vector<std::string>& problems);

// Converts the editor lines of a model into SBML Level 3 Version 2 that passes
// libSBML's consistency checks. The model must build.
SbmlStatus ExportSbml(const TextLines& editorLines, std::string& xml,
                      std::vector<std::string>& problems);

// libSBML's errors for an SBML text (reading and consistency), as
// "line N: message"; empty when it is sound.
std::vector<std::string> SbmlTextErrors(const std::string& xml);

} // namespace kora

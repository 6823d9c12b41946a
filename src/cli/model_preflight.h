// The model of a file built once before any work, as the command will use
// it, so that every command rejects the same models in the same words.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "model/krm_parser.h"
#include "model/model_text.h"
#include "settings/settings.h"

namespace kora::cli {

struct PreflightModel {
    std::string fileName;
    TextLines fileLines;
    TextLines modelLines;
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};
};

// Builds the model lines of `prepared.fileLines` (without the script blocks
// when `dropScript`) with the settings' predefined names and then the
// `assignments` ("NAME=VALUE") applied. A model error, or a model without a
// differential equation, is reported on `err` as "FILE:LINE:COLUMN: error:"
// and gives false.
bool BuildPreflightModel(PreflightModel& prepared, bool dropScript,
                         const std::vector<std::string>& assignments, const Settings& settings,
                         std::ostream& err);

// The model of a file's whole text as check builds it (script blocks
// dropped, nothing assigned), for the commands that refuse what check refuses.
bool BuildCheckedModel(PreflightModel& prepared, const std::string& fileName,
                       const TextLines& fileLines, const Settings& settings, std::ostream& err);

// Why the Taylor method would refuse the built model, as a note on `err`;
// false then.
bool NoteIfTaylorRefuses(PreflightModel& prepared, std::ostream& err);

} // namespace kora::cli

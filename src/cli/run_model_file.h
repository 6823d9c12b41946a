// Reading a model file for `kora-batch run`.
#pragma once

#include <string>

#include "model/krm_parser.h"
#include "settings/settings.h"

namespace kora::cli {

// The file's lines without their line ends (CR LF or LF). False when the file
// cannot be read.
bool ReadTextLines(const std::string& path, TextLines& lines);

// The model lines of an editor text: trimmed, without empty lines, comment
// lines and the lines of a script block (the line ending the block stays).
TextLines ModelLinesOf(const TextLines& text);

// The predefined names and the default number of report points come from the
// settings, as a document gives them to its model.
void ApplyModelSettings(KRMparser& model, const Settings& settings);

} // namespace kora::cli

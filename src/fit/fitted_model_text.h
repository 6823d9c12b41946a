// The model text with fitted values written over the values it assigned.
#pragma once

#include <string>
#include <vector>

#include "model/model_text.h"

namespace kora {

// A copy of the editor lines in which the right side of each NAME's
// assignment ("NAME = ...", outside script blocks) becomes the value, any
// comment after it kept; a name without such a line gets one at the end of
// the model part. Values are written with 12 significant digits.
TextLines WriteFittedValues(const TextLines& lines, const std::vector<std::string>& names,
                            const std::vector<double>& values);

// The line and the span [begin, end) of the right side of NAME's assignment,
// or false. Used by front ends that replace the text in place (undoably).
bool FindAssignedValue(const TextLines& lines, const std::string& name, size_t& line, size_t& begin,
                       size_t& end);

// The text a fitted value is written as.
std::string FittedValueText(double value);

} // namespace kora

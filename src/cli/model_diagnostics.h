// Model errors as a compiler reports them: "FILE:LINE:COLUMN: error: " and
// the model's own message, so that an editor can jump to the place.
#pragma once

#include <ostream>
#include <string>

#include "model/error_display.h"
#include "model/krm_parser.h"
#include "model/model_place.h"
#include "model/model_text.h"

namespace kora::cli {

// The model error in `sink` in the form above; `kind` is "error" or "note".
void PrintModelDiagnostic(KRMparser& model, const ErrorDisplay& sink, const std::string& fileName,
                          const TextLines& fileLines, const TextLines& modelLines,
                          const std::string& kind, std::ostream& err);

// "PLACE kind: message", then the lines of `more`.
void PrintDiagnostic(const std::string& fileName, const TextPlace& place, const std::string& kind,
                     const std::string& message, const TextLines& more, std::ostream& err);

} // namespace kora::cli

// Model errors as a compiler reports them: "FILE:LINE:COLUMN: error: " and
// the model's own message, so that an editor can jump to the place.
#pragma once

#include <ostream>
#include <string>

#include "model/error_display.h"
#include "model/krm_parser.h"
#include "model/model_text.h"

namespace kora::cli {

struct TextPlace {
    int line = 0;   // 1-based line of the file; 0 when unknown
    int column = 0; // 1-based
};

// The 1-based file line of model line `modelIndex` (model lines are the
// file's lines trimmed, in order, some left out); 0 when not found.
int FileLineOf(const TextLines& fileLines, const TextLines& modelLines, size_t modelIndex);

// Where the statement `statementText` of `modelLines` (as extracted from
// `fileLines`) stands in the file; {0, 0} when it cannot be found.
TextPlace PlaceOfStatement(KRMparser& model, const TextLines& fileLines,
                           const TextLines& modelLines, const std::string& statementText);

// Where `offset` of the model text (the model lines joined with two-character
// line ends, as a document locates errors) stands in the file, when a script
// may have changed the model lines; {0, 0} when it cannot be found.
TextPlace PlaceOfOffset(const TextLines& fileLines, const TextLines& modelLines, int32_t offset);

// The first name on the right side of `statementText` that the model neither
// defines nor predefines, and that is not a function; "" when there is none.
std::string UnknownNameIn(const KRMparser& model, const std::string& statementText);

// "FILE:LINE:COLUMN: ", "FILE:LINE: " without a column, "FILE: " without
// a line.
std::string PlacePrefix(const std::string& fileName, const TextPlace& place);

// The model error in `sink` in the form above; `kind` is "error" or "note".
void PrintModelDiagnostic(KRMparser& model, const ErrorDisplay& sink, const std::string& fileName,
                          const TextLines& fileLines, const TextLines& modelLines,
                          const std::string& kind, std::ostream& err);

// "PLACE kind: message", then the lines of `more`.
void PrintDiagnostic(const std::string& fileName, const TextPlace& place, const std::string& kind,
                     const std::string& message, const TextLines& more, std::ostream& err);

} // namespace kora::cli

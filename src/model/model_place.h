// Where a model error or warning stands in the file the user wrote, and the
// located message every front end shows for a model error.
#pragma once

#include <string>

#include "model/error_display.h"
#include "model/krm_parser.h"
#include "model/model_text.h"

namespace kora {

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

// Text the model says but does not mean; never an error.
struct ModelWarning {
    int line = 0;         // 1-based line of the file; 0 when not found
    bool outside = false; // about a name given from outside the text
    std::string text;
};

// A model error as the user is shown it: where it stands, and the model's
// message with its statement and, when that is the cause, the unknown name.
struct LocatedModelError {
    TextPlace place;
    std::string message;
    std::string detail;
};

// The place of a model error whose statement stands at `offset` of the
// model text (see PlaceOfOffset), at the unknown name when that is the cause.
TextPlace PlaceOfModelError(const KRMparser& model, const ErrorDisplay& error,
                            const TextLines& fileLines, const TextLines& modelLines,
                            int32_t offset);

// Locating reads the model again, which clears `sink`: the error is copied
// first, so `sink` may be the model's own.
LocatedModelError LocateModelError(KRMparser& model, const ErrorDisplay& sink,
                                   const TextLines& fileLines, const TextLines& modelLines);

// The message of a model error with the unknown name appended when that is
// the cause: "Unexpected expression: P' = X/Km3 (unknown name 'Km3')".
std::string ModelErrorMessage(const KRMparser& model, const ErrorDisplay& error);

// The 1-based column of `name` as a whole word after the "=" of `line`, else
// `fallback`.
int ColumnOfName(const std::string& line, const std::string& name, int fallback);

} // namespace kora

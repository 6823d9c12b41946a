// Saving a document's results to a file: the one path of the Results menu,
// the script's SAVE RES TO and the batch tool's output file.
#pragma once

#include <cstdint>
#include <string>

#include "results_file.h"

namespace kora {

// Writes `set` to `fileName` with `filePrec` significant digits (the
// "FilePrec" setting as it is now, kept as the set's precision) and "." as
// the decimal separator, so that a file reads the same in every locale (the
// reader takes either separator). Refuses to write over `modelFileName`, the
// model the results came from (empty for a results document, whose own file
// is its results). Clears `modified` only when the file holds the results.
ResultsFileResult SaveResultsSet(ResultsSet& set, const std::string& fileName, int32_t filePrec,
                                 const std::string& modelFileName);

} // namespace kora

#include "results_save.h"

#include "atomic_file.h"

namespace kora {

ResultsFileResult SaveResultsSet(ResultsSet& set, const std::string& fileName, int32_t filePrec,
                                 const std::string& modelFileName) {
    // A link under a results name must not turn the model into results.
    if (!modelFileName.empty() && IsSameFile(fileName, modelFileName))
        return {false, "'" + fileName + "' is the model file itself; nothing was written"};
    set.precision = filePrec;
    ResultsFileResult written = WriteResultsFile(set, fileName, '.');
    if (written) set.modified = false;
    return written;
}

} // namespace kora

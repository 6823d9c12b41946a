#include "model_warnings.h"

#include "model/model_place.h"
#include "solve/model_warnings.h"

namespace kora::cli {

int ReportModelWarnings(const PreflightModel& prepared, const Settings& settings,
                        const std::vector<std::string>& setNames, std::ostream& err) {
    const std::vector<ModelWarning> warnings =
        CollectModelWarnings(prepared.fileLines, settings, setNames);
    for (const ModelWarning& warning : warnings) {
        if (warning.outside)
            err << "kora-batch: ";
        else
            err << PlacePrefix(prepared.fileName, {warning.line, 0});
        err << "warning: " << warning.text << '\n';
    }
    return static_cast<int>(warnings.size());
}

} // namespace kora::cli

// The script command FIT: a fit of the script's current model lines, whose
// fitted values then stand in those lines like SET's assignments.
#pragma once

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "fit/fit_problem.h"
#include "model/krm_parser.h"

namespace kora {

struct ScriptFitOutcome {
    std::string problem; // why nothing was fitted, else ""
    FitResult result;
    std::vector<std::string> assignments;  // "NAME = VALUE" of each fitted value
    std::map<std::string, double> figures; // for WRITE's ":SSR", ":SE(k)", ...
};

// Reads the data files named in `arguments` (a name without a folder is
// taken from the folder of `documentFile`, as OPEN takes it) and fits
// `modelLines`, built with `model`'s predefined names.
ScriptFitOutcome RunScriptFit(const std::string& arguments, const TextLines& modelLines,
                              const KRMparser& model, const std::string& documentFile,
                              const std::atomic<bool>* stop);

} // namespace kora

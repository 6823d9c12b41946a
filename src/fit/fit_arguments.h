// The choices of a fit written as words, as the script command FIT takes
// them: data files, then --fit NAME[=LOW:HIGH], --log NAME, --linear NAME,
// --method lm|multistart|ssystem, --starts N, --threads N, --seed S,
// --weights sd|range, --tol N, --max-evaluations N. A file name with blanks
// is written in double quotes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fit_problem.h"

namespace kora {

struct FitArguments {
    std::vector<std::string> dataFiles;
    std::vector<FitParameterSpec> parameters;
    FitOptions options;
};

// "" on success, else what is wrong, in the batch tool's words.
std::string ParseFitArguments(std::string_view text, FitArguments& out);

// NAME or NAME=LOW:HIGH (either bound may be left out); "" or why not.
std::string ParseFitSpec(const std::string& text, FitParameterSpec& spec);

} // namespace kora

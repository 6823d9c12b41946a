#include "model_names.h"

#include <algorithm>

#include "krm_parser.h"

namespace kora {

ModelNames ReadModelNames(const TextLines& fileLines) {
    const TextLines modelLines = ExtractModelLines(fileLines, true).modelLines;
    KRMForm form;
    ErrorDisplay quiet;
    KRMparser reader(&form, &quiet);
    reader.lines = &modelLines;
    reader.ReadStatements();
    ModelNames names;
    names.title = reader.title;
    for (const Statement& equation : reader.equations)
        names.variables.push_back(equation.name);
    auto known = [&names](const std::string& name) {
        return std::find(names.variables.begin(), names.variables.end(), name) !=
                   names.variables.end() ||
               std::find(names.constants.begin(), names.constants.end(), name) !=
                   names.constants.end();
    };
    for (const Statement& assignment : reader.assignments)
        if (!assignment.name.empty() && !known(assignment.name))
            names.constants.push_back(assignment.name);
    return names;
}

} // namespace kora

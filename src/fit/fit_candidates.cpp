#include "fit_candidates.h"

#include <algorithm>

#include "model/messages.h"

namespace kora {

std::string FitCandidates(const FitModelSource& source, std::vector<FitCandidate>& out) {
    out.clear();
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    model.predefinedNames = source.predefinedNames;
    model.defaultPoints = source.defaultPoints;
    TextLines lines = source.modelLines;
    model.Build(lines);
    if (sink.code != 0) return std::string(ModelMessage(sink.code)) + " " + sink.context;
    for (const Statement& constant : model.constants) {
        if (constant.name.empty()) continue; // an interned number
        const auto& names = model.predefinedNames;
        if (std::find(names.begin(), names.end(), constant.name) != names.end()) continue;
        out.push_back({constant.name, constant.value, false});
    }
    for (const Statement& equation : model.equations)
        out.push_back({equation.name, equation.value, true});
    return {};
}

} // namespace kora

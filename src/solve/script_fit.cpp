#include "script_fit.h"

#include "fit/fit_arguments.h"
#include "fit/fit_run.h"
#include "fit/fitted_model_text.h"
#include "script/script_resolve.h"

namespace kora {

ScriptFitOutcome RunScriptFit(const std::string& arguments, const TextLines& modelLines,
                              const KRMparser& model, const std::string& documentFile,
                              const std::atomic<bool>* stop) {
    ScriptFitOutcome outcome;
    FitArguments parsed;
    outcome.problem = ParseFitArguments(arguments, parsed);
    if (!outcome.problem.empty()) return outcome;
    FitRequest request;
    request.model.modelLines = modelLines;
    request.model.predefinedNames = model.predefinedNames;
    request.model.defaultPoints = model.defaultPoints;
    request.parameters = parsed.parameters;
    request.options = parsed.options;
    for (const std::string& file : parsed.dataFiles) {
        DataTable table;
        outcome.problem = ReadDataFile(Resolve(ScriptDocumentInfo{documentFile}, file), table);
        if (!outcome.problem.empty()) return outcome;
        request.data.push_back(std::move(table));
    }
    outcome.result = RunFit(request, stop);
    if (!outcome.result.message.empty()) {
        outcome.problem = outcome.result.message;
        return outcome;
    }
    const FitResult& r = outcome.result;
    outcome.figures = {{"SSR", r.ssr},
                       {"CHI2", r.chi2},
                       {"AIC", r.aic},
                       {"BIC", r.bic},
                       {"OBJECTIVE", r.objective},
                       {"EVALUATIONS", static_cast<double>(r.evaluations)},
                       {"CONVERGED", r.converged ? 1.0 : 0.0}};
    for (const FittedParameter& p : r.parameters) {
        outcome.assignments.push_back(p.name + " = " + FittedValueText(p.value));
        outcome.figures["SE(" + p.name + ")"] = p.se;
    }
    return outcome;
}

} // namespace kora

// kora-batch fit: constants and initial values of a model fitted to measured
// time courses; the result on stdout, as JSON, and as a fitted model copy.
#include <iostream>

#include "commands.h"
#include "fit/fit_arguments.h"
#include "fit/fit_report.h"
#include "fit/fit_run.h"
#include "fit/fitted_model_text.h"
#include "input_file.h"
#include "model_preflight.h"
#include "results/atomic_file.h"
#include "run_model_file.h"
#include "solve/model_settings.h"

namespace kora::cli {
namespace {

std::string ParametersFromOptions(const CliOptions& options,
                                  std::vector<FitParameterSpec>& parameters) {
    for (const std::string& text : options.fitSpecs) {
        FitParameterSpec spec;
        if (std::string problem = ParseFitSpec(text, spec); !problem.empty()) return problem;
        parameters.push_back(spec);
    }
    const auto mark = [&](const std::vector<std::string>& names, FitParameterSpec::Scale scale,
                          const char* option) -> std::string {
        for (const std::string& name : names) {
            bool found = false;
            for (FitParameterSpec& spec : parameters)
                if (spec.name == name) spec.scale = scale, found = true;
            if (!found) return std::string(option) + " " + name + ": " + name + " is not fitted";
        }
        return {};
    };
    if (std::string p = mark(options.logNames, FitParameterSpec::Scale::Log, "--log"); !p.empty())
        return p;
    return mark(options.linearNames, FitParameterSpec::Scale::Linear, "--linear");
}

FitOptions OptionsOf(const CliOptions& options) {
    FitOptions fit;
    if (options.fitMethod == "multistart") fit.method = FitMethod::MultiStart;
    if (options.fitMethod == "ssystem") fit.method = FitMethod::SSystem;
    if (options.weights == "range") fit.weighting = FitWeighting::Range;
    if (options.starts) fit.starts = *options.starts;
    if (options.threads) fit.threads = *options.threads;
    if (options.seed) fit.seed = *options.seed;
    if (options.tolerance) fit.logTolerance = *options.tolerance;
    if (options.maxEvaluations) fit.maxEvaluations = *options.maxEvaluations;
    return fit;
}

std::string JoinLines(const TextLines& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

int WriteOutputs(const CliOptions& options, const BatchModelInput& input, const FitResult& result) {
    if (options.json) {
        if (std::string failure = WriteFileAtomically(*options.json, FitResultJson(result));
            !failure.empty()) {
            std::cerr << "kora-batch: cannot write '" << *options.json << "': " << failure << "\n";
            return kExitCantCreate;
        }
    }
    if (options.output) {
        std::vector<std::string> names;
        std::vector<double> values;
        for (const FittedParameter& parameter : result.parameters) {
            names.push_back(parameter.name);
            values.push_back(parameter.value);
        }
        const TextLines fitted = WriteFittedValues(input.editorLines, names, values);
        if (std::string failure = WriteFileAtomically(*options.output, JoinLines(fitted));
            !failure.empty()) {
            std::cerr << "kora-batch: cannot write '" << *options.output << "': " << failure
                      << "\n";
            return kExitCantCreate;
        }
    }
    return kExitOk;
}

} // namespace

int RunFitCommand(const CliOptions& options) {
    FitRequest request;
    if (std::string problem = ParametersFromOptions(options, request.parameters);
        !problem.empty()) {
        std::cerr << "kora-batch: " << problem << "\n";
        return kExitUsage;
    }
    request.options = OptionsOf(options);
    BatchModelInput input;
    if (int code = LoadBatchModelInput(options, input, std::cerr); code != kExitOk) return code;
    PreflightModel prepared;
    if (!BuildCheckedModel(prepared, options.input, input.editorLines, input.settings, std::cerr))
        return kExitModelError;
    request.model.fileName = options.input;
    request.model.modelLines = prepared.modelLines;
    request.model.predefinedNames = prepared.model.predefinedNames;
    request.model.defaultPoints = prepared.model.defaultPoints;
    for (const std::string& file : options.dataFiles) {
        TextLines lines;
        if (const std::string why = ReadInputLines(file, lines); !why.empty()) {
            std::cerr << "kora-batch: cannot read data file '" << file << "': " << why << "\n";
            return kExitNoInput;
        }
        DataTable table;
        if (std::string problem = ReadDataTable(file, lines, table); !problem.empty()) {
            std::cerr << problem << "\n";
            return kExitModelError;
        }
        request.data.push_back(std::move(table));
    }
    const FitResult result = RunFit(request);
    if (!result.message.empty()) {
        std::cerr << result.message << "\n";
        return kExitModelError;
    }
    std::cout << "Fit of " << options.input << " to " << options.dataFiles.size()
              << (options.dataFiles.size() == 1 ? " data set" : " data sets") << "\n"
              << FitResultText(result);
    std::cout.flush();
    if (int code = WriteOutputs(options, input, result); code != kExitOk) return code;
    return result.converged ? kExitOk : kExitSolverFailure;
}

} // namespace kora::cli

// kora-batch import: an SBML file as a model text, on stdout or in -o FILE.
#include <iostream>

#include "commands.h"
#include "results/atomic_file.h"
#include "sbml_module_entry.h"

namespace kora::cli {
namespace {

int SbmlExitCode(SbmlStatus status) {
    switch (status) {
    case SbmlStatus::Ok:
        return kExitOk;
    case SbmlStatus::Unavailable:
        return kExitUnavailable;
    case SbmlStatus::Unreadable:
        return kExitNoInput;
    case SbmlStatus::Invalid:
    case SbmlStatus::Unconvertible:
        break;
    }
    return kExitModelError;
}

} // namespace

int ReportSbmlProblems(SbmlStatus status, const std::vector<std::string>& problems,
                       const std::string& file) {
    if (status == SbmlStatus::Unavailable) {
        if (!problems.empty())
            std::cerr << "kora-batch: SBML: cannot be loaded: " << problems.front() << "\n";
        else
            std::cerr << "kora-batch: SBML: feature missing in this build\n";
        return kExitUnavailable;
    }
    if (status == SbmlStatus::Unreadable) {
        std::cerr << "kora-batch: cannot read '" << file << "'\n";
        return kExitNoInput;
    }
    if (status == SbmlStatus::Unconvertible)
        std::cerr << file << ": cannot be converted; nothing was written:\n";
    else if (status == SbmlStatus::Invalid)
        std::cerr << file << ": errors; nothing was written:\n";
    for (const std::string& problem : problems)
        std::cerr << "  " << problem << "\n";
    return SbmlExitCode(status);
}

int WriteConverted(const CliOptions& options, const std::string& text) {
    if (!options.output) {
        std::cout << text;
        return kExitOk;
    }
    if (const std::string failure = WriteFileAtomically(*options.output, text); !failure.empty()) {
        std::cerr << "kora-batch: cannot write '" << *options.output << "': " << failure << "\n";
        return kExitCantCreate;
    }
    return kExitOk;
}

int RunImportCommand(const CliOptions& options) {
    std::string reason;
    const SbmlModuleFunctions* sbml = LoadSbmlModule(reason);
    if (!sbml) return ReportSbmlProblems(SbmlStatus::Unavailable, {reason}, options.input);
    std::string text;
    std::vector<std::string> problems;
    const SbmlStatus status = sbml->importFile(options.input, text, problems);
    if (status != SbmlStatus::Ok) return ReportSbmlProblems(status, problems, options.input);
    return WriteConverted(options, text);
}

} // namespace kora::cli

#ifdef KORA_WITH_SBML
#include <filesystem>
#include <fstream>
#include <memory>

#include <sbml/SBMLTypes.h>
#include <sbml/conversion/ConversionProperties.h>
#include <sbml/extension/SBasePlugin.h>

#include "sbml_exchange.h"
#include "sbml_model_import.h"

namespace kora {
namespace {

LIBSBML_CPP_NAMESPACE_USE

// Errors (not warnings) in the document's log, as "line N: message".
void CollectErrors(const SBMLDocument& document, std::vector<std::string>& problems) {
    const SBMLErrorLog* log = document.getErrorLog();
    for (unsigned i = 0; i < log->getNumErrors(); ++i) {
        const SBMLError* error = log->getError(i);
        if (!error->isError() && !error->isFatal()) continue;
        std::string message = error->getMessage();
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        problems.push_back("line " + std::to_string(error->getLine()) + ": " + message);
    }
}

bool Expand(SBMLDocument& document, const char* option) {
    ConversionProperties properties;
    properties.addOption(option, true);
    return document.convert(properties) == LIBSBML_OPERATION_SUCCESS;
}

void RefusePackages(const SBMLDocument& document, std::vector<std::string>& problems) {
    for (unsigned i = 0; i < document.getNumPlugins(); ++i) {
        // Level 3 Version 2 core math comes as a plugin; its functions are checked one by one.
        const std::string name = document.getPlugin(i)->getPackageName();
        if (name != "l3v2extendedmath")
            problems.push_back("package '" + name + "': package constructs cannot be expressed");
    }
    for (int i = 0; i < document.getNumUnknownPackages(); ++i)
        problems.push_back("package '" + document.getUnknownPackagePrefix(i) +
                           "': package constructs cannot be expressed");
}

} // namespace

bool SbmlAvailable() {
    return true;
}

SbmlStatus ImportSbmlFile(const std::string& path, std::string& text,
                          std::vector<std::string>& problems) {
    text.clear();
    if (!std::ifstream(path).good() || std::filesystem::is_directory(path)) {
        problems.push_back("cannot read '" + path + "'");
        return SbmlStatus::Unreadable;
    }
    std::unique_ptr<SBMLDocument> document(readSBMLFromFile(path.c_str()));
    CollectErrors(*document, problems);
    if (problems.empty() && document->getModel() == nullptr)
        problems.push_back("line 1: the document holds no model");
    if (problems.empty()) {
        document->setConsistencyChecks(LIBSBML_CAT_UNITS_CONSISTENCY, false);
        document->setConsistencyChecks(LIBSBML_CAT_MODELING_PRACTICE, false);
        document->checkConsistency();
        CollectErrors(*document, problems);
    }
    if (!problems.empty()) return SbmlStatus::Invalid;
    RefusePackages(*document, problems);
    if (!problems.empty()) return SbmlStatus::Unconvertible;
    const unsigned level = document->getLevel(), version = document->getVersion();
    if (!Expand(*document, "expandFunctionDefinitions") ||
        !Expand(*document, "expandInitialAssignments")) {
        problems.push_back("function definitions or initial assignments cannot be evaluated");
        return SbmlStatus::Unconvertible;
    }
    const std::string header = "// Converted from the SBML file '" +
                               std::filesystem::path(path).filename().string() + "' (Level " +
                               std::to_string(level) + " Version " + std::to_string(version) +
                               ")";
    std::string converted;
    if (!sbml::ConvertModel(*document->getModel(), header, converted, problems))
        return SbmlStatus::Unconvertible;
    text = converted;
    return SbmlStatus::Ok;
}

} // namespace kora
#endif

#ifdef KORA_WITH_SBML
#include <filesystem>
#include <fstream>
#include <memory>

#include <sbml/SBMLTypes.h>
#include <sbml/conversion/ConversionProperties.h>

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
        // libSBML breaks its messages over lines; one problem is one line here.
        std::string message;
        for (char c : error->getMessage())
            if (c != '\n' || (!message.empty() && message.back() != ' '))
                message += c == '\n' ? ' ' : c;
        while (!message.empty() && message.back() == ' ')
            message.pop_back();
        problems.push_back("line " + std::to_string(error->getLine()) + ": " + message);
    }
}

// A model built from submodels (the `comp` package) becomes one model, by
// libSBML's own flattening.
bool FlattenComposition(SBMLDocument& document, std::vector<std::string>& problems) {
    if (!document.isPackageEnabled("comp")) return true;
    ConversionProperties properties;
    properties.addOption("flatten comp", true);
    properties.addOption("leavePorts", false);
    properties.addOption("performValidation", false);
    if (document.convert(properties) == LIBSBML_OPERATION_SUCCESS) return true;
    CollectErrors(document, problems);
    problems.insert(problems.begin(), "package 'comp': the submodels cannot be flattened");
    return false;
}

// A Level 3 package shows as a namespace beside the core one.
void RefusePackages(SBMLDocument& document, std::vector<std::string>& problems) {
    const XMLNamespaces* spaces = document.getNamespaces();
    for (int i = 0; spaces != nullptr && i < spaces->getNumNamespaces(); ++i) {
        const std::string uri = spaces->getURI(i);
        const bool level3 = uri.rfind("http://www.sbml.org/sbml/level3/", 0) == 0;
        if (!level3 || uri.size() < 5 || uri.compare(uri.size() - 5, 5, "/core") == 0) continue;
        const std::string prefix = spaces->getPrefix(i);
        problems.push_back("package '" + (prefix.empty() ? uri : prefix) +
                           "': package constructs cannot be expressed");
    }
}

} // namespace

bool SbmlAvailable() {
    return true;
}

namespace {

// Reading errors first; the consistency checks only run on a readable model.
void CheckDocument(SBMLDocument& document, std::vector<std::string>& problems) {
    CollectErrors(document, problems);
    if (problems.empty() && document.getModel() == nullptr)
        problems.push_back("line 1: the document holds no model");
    if (!problems.empty()) return;
    document.setConsistencyChecks(LIBSBML_CAT_UNITS_CONSISTENCY, false);
    document.setConsistencyChecks(LIBSBML_CAT_MODELING_PRACTICE, false);
    document.checkConsistency();
    CollectErrors(document, problems);
}

} // namespace

std::vector<std::string> SbmlTextErrors(const std::string& xml) {
    std::unique_ptr<SBMLDocument> document(readSBMLFromString(xml.c_str()));
    std::vector<std::string> problems;
    CheckDocument(*document, problems);
    return problems;
}

SbmlStatus ImportSbmlFile(const std::string& path, std::string& text,
                          std::vector<std::string>& problems) {
    text.clear();
    if (!std::ifstream(path).good() || std::filesystem::is_directory(path)) {
        problems.push_back("cannot read '" + path + "'");
        return SbmlStatus::Unreadable;
    }
    std::unique_ptr<SBMLDocument> document(readSBMLFromFile(path.c_str()));
    CheckDocument(*document, problems);
    if (!problems.empty()) return SbmlStatus::Invalid;
    const unsigned level = document->getLevel(), version = document->getVersion();
    if (!FlattenComposition(*document, problems)) return SbmlStatus::Unconvertible;
    RefusePackages(*document, problems);
    if (!problems.empty()) return SbmlStatus::Unconvertible;
    const std::string header = "// Converted from the SBML file '" +
                               std::filesystem::path(path).filename().string() + "' (Level " +
                               std::to_string(level) + " Version " + std::to_string(version) + ")";
    std::string converted;
    if (!sbml::ConvertModel(*document->getModel(), header, converted, problems))
        return SbmlStatus::Unconvertible;
    text = converted;
    return SbmlStatus::Ok;
}

} // namespace kora
#endif

#ifdef KORA_WITH_SBML
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <sbml/SBMLTypes.h>
#include <sbml/conversion/ConversionProperties.h>

#include "common/nesting_limit.h"
#include "sbml_exchange.h"
#include "sbml_model_import.h"
#include "sbml_reference_check.h"

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

// The deepest nesting of elements inside any <math> (leaves count, <math>
// itself does not), found by a scan that keeps no tree: libSBML's reader
// recurses once per level and must not see more than the limit.
int DeepestMath(const std::string& xml) {
    int depth = 0, mathDepth = -1, deepest = 0;
    for (size_t i = xml.find('<'); i != std::string::npos; i = xml.find('<', i)) {
        auto skipTo = [&](const char* end) {
            const size_t at = xml.find(end, i);
            i = at == std::string::npos ? xml.size() : at + std::strlen(end);
        };
        if (xml.compare(i, 4, "<!--") == 0) {
            skipTo("-->");
            continue;
        }
        if (xml.compare(i, 9, "<![CDATA[") == 0) {
            skipTo("]]>");
            continue;
        }
        if (xml.compare(i, 2, "<?") == 0 || xml.compare(i, 2, "<!") == 0) {
            skipTo(">");
            continue;
        }
        const bool closing = i + 1 < xml.size() && xml[i + 1] == '/';
        size_t end = i + 1;
        char quote = 0;
        for (; end < xml.size() && (quote != 0 || xml[end] != '>'); ++end)
            if (xml[end] == '"' || xml[end] == '\'')
                quote = quote == 0 ? xml[end] : (quote == xml[end] ? 0 : quote);
        const bool empty = end < xml.size() && xml[end - 1] == '/';
        size_t nameEnd = i + (closing ? 2 : 1);
        while (nameEnd < end && !std::isspace(static_cast<unsigned char>(xml[nameEnd])) &&
               xml[nameEnd] != '/' && xml[nameEnd] != '>')
            ++nameEnd;
        std::string name = xml.substr(i + (closing ? 2 : 1), nameEnd - i - (closing ? 2 : 1));
        name = name.substr(name.find(':') == std::string::npos ? 0 : name.find(':') + 1);
        i = end;
        if (closing) {
            --depth;
            if (mathDepth >= 0 && depth <= mathDepth) mathDepth = -1;
            continue;
        }
        if (mathDepth >= 0) deepest = std::max(deepest, depth - mathDepth + 1);
        if (name == "math" && mathDepth < 0 && !empty) mathDepth = depth + 1;
        if (!empty) ++depth;
    }
    return deepest;
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
    const Model& model = *document.getModel();
    // libSBML's id look-ups and its check for cycles of assignments grow far
    // faster than the model; where they would take long, the references are
    // checked here and cycles are refused by the conversion.
    const bool large = sbml::ElementCount(model) > sbml::kLargeModelElements;
    const bool tangled = large || sbml::DependencyWork(model, sbml::kDependencyWorkLimit) >
                                      sbml::kDependencyWorkLimit;
    document.setConsistencyChecks(LIBSBML_CAT_GENERAL_CONSISTENCY, !tangled);
    document.setConsistencyChecks(LIBSBML_CAT_MATHML_CONSISTENCY, !large);
    document.checkConsistency();
    CollectErrors(document, problems);
    if (tangled && problems.empty()) sbml::CheckReferences(model, problems);
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
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    const std::string xml = content.str();
    if (DeepestMath(xml) > kMaxNestingDepth) {
        problems.push_back("math nested more than " + std::to_string(kMaxNestingDepth) +
                           " levels deep");
        return SbmlStatus::Invalid;
    }
    std::unique_ptr<SBMLDocument> document(readSBMLFromString(xml.c_str()));
    // Submodels in other files are found beside this one.
    document->setLocationURI("file:" +
                             std::filesystem::absolute(path).lexically_normal().generic_string());
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

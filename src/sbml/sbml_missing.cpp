// Entry points of a build without libSBML.
#ifndef KORA_WITH_SBML
#include "sbml_exchange.h"

namespace kora {

bool SbmlAvailable() {
    return false;
}

SbmlStatus ImportSbmlFile(const std::string&, std::string& text,
                          std::vector<std::string>& problems) {
    text.clear();
    problems.push_back("SBML is not available in this build");
    return SbmlStatus::Unavailable;
}

SbmlStatus ExportSbml(const TextLines&, std::string& xml, std::vector<std::string>& problems) {
    xml.clear();
    problems.push_back("SBML is not available in this build");
    return SbmlStatus::Unavailable;
}

std::vector<std::string> SbmlTextErrors(const std::string&) {
    return {"SBML is not available in this build"};
}

} // namespace kora
#endif

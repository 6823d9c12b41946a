#include "sbml_names.h"

#include <array>
#include <cctype>

namespace kora::sbml {
namespace {

constexpr std::array<const char*, 4> kTimeSettings{"t0", "tf", "hr", "Npoints"};
// A line beginning with these is read as a keyword line.
constexpr std::array<const char*, 2> kKeywordPrefixes{"NAME", "DESCRIPTION"};

// The scope of names made up here for no SBML element.
constexpr const char* kMadeUp = "-";

std::string Key(const std::string& scope, const std::string& id) {
    return scope + '\n' + id;
}

} // namespace

bool UsableModelName(const std::string& name) {
    if (name.empty() || name[0] == '_' || std::isdigit(static_cast<unsigned char>(name[0])))
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    for (const char* setting : kTimeSettings)
        if (name == setting) return false;
    for (const char* keyword : kKeywordPrefixes)
        if (name.rfind(keyword, 0) == 0) return false;
    return true;
}

std::string NameTable::FreeName(std::string wanted) {
    for (char& c : wanted)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') c = '_';
    while (!wanted.empty() && wanted[0] == '_')
        wanted.erase(0, 1);
    if (wanted.empty() || std::isdigit(static_cast<unsigned char>(wanted[0])))
        wanted = "x" + wanted;
    if (!UsableModelName(wanted)) wanted = "x_" + wanted;
    std::string name = wanted;
    for (int n = 2; taken_.count(name) != 0; ++n)
        name = wanted + "_" + std::to_string(n);
    taken_.insert(name);
    return name;
}

std::string NameTable::Claim(const std::string& sbmlId, const std::string& scope) {
    const std::string key = Key(scope, sbmlId);
    auto found = names_.find(key);
    if (found != names_.end()) return found->second;
    const std::string name = FreeName(scope.empty() ? sbmlId : scope + "_" + sbmlId);
    names_.emplace(key, name);
    return name;
}

std::string NameTable::Find(const std::string& sbmlId, const std::string& scope) const {
    auto found = names_.find(Key(scope, sbmlId));
    return found == names_.end() ? std::string() : found->second;
}

std::map<std::string, std::string> NameTable::Renamed() const {
    std::map<std::string, std::string> renamed;
    for (const auto& [key, name] : names_) {
        if (key.rfind(kMadeUp, 0) == 0) continue;
        const size_t end = key.find('\n');
        const std::string id = key.substr(end + 1);
        if (id == name) continue;
        // A local parameter's id is only unique within its reaction.
        const std::string scope = key.substr(0, end);
        renamed.emplace("'" + id + "'" + (scope.empty() ? "" : " of reaction '" + scope + "'"),
                        name);
    }
    return renamed;
}

} // namespace kora::sbml

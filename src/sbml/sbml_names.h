// Model-language names for SBML identifiers: valid, unique, and clear of the
// predefined names and of the keywords a line may begin with.
#pragma once

#include <map>
#include <set>
#include <string>

namespace kora::sbml {

class NameTable {
public:
    // Claims a name for `sbmlId` (or for a local parameter, under `scope`;
    // scope "-" names something made up, never listed as renamed); returns it. Claiming the same id
    // twice returns the first name.
    std::string Claim(const std::string& sbmlId, const std::string& scope = {});
    // "" when the id was never claimed.
    std::string Find(const std::string& sbmlId, const std::string& scope = {}) const;
    // Every id whose name differs from it, as "'id' -> name" (local parameters
    // as "'id' of reaction 'r' -> name").
    std::map<std::string, std::string> Renamed() const;

private:
    std::string FreeName(std::string wanted);

    std::map<std::string, std::string> names_; // scope + '\n' + id -> name
    std::set<std::string> taken_;
};

// True when `name` may stand on the left of "=" as a name of its own.
bool UsableModelName(const std::string& name);

} // namespace kora::sbml

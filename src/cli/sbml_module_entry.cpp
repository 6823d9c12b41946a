#include "sbml_module_entry.h"

#include "on_demand_module.h"

namespace kora::cli {

const SbmlModuleFunctions* LoadSbmlModule(std::string& reason) {
    const auto entry = OnDemandFunction<SbmlModuleEntry>(kSbmlModuleFile, kSbmlModuleEntry, reason);
    return entry ? entry() : nullptr;
}

} // namespace kora::cli

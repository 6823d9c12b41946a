// Parts of kora-batch that need large libraries (the toolkit that draws
// pictures, libSBML) live in modules loaded the first time a command needs
// them: loading those libraries at start-up cost more than a small run.
#pragma once

#include <string>

namespace kora::cli {

// The address of `entry` in the module file `fileName`, which is loaded once
// and kept; null with `reason` set when the module or the entry cannot be
// loaded. The module is looked for beside the running program, then in the
// folder it was built in (for tests, which run from elsewhere).
void* OnDemandEntry(const std::string& fileName, const char* entry, std::string& reason);

// `OnDemandEntry` as a function of type `Function`.
template <typename Function>
Function OnDemandFunction(const std::string& fileName, const char* entry, std::string& reason) {
    return reinterpret_cast<Function>(OnDemandEntry(fileName, entry, reason));
}

} // namespace kora::cli

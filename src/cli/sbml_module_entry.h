// The entry of the module that holds libSBML for kora-batch.
#pragma once

#include <string>
#include <vector>

#include "model/model_text.h"
#include "sbml/sbml_exchange.h"

namespace kora::cli {

inline constexpr const char* kSbmlModuleFile = "kora-batch-sbml.so";
inline constexpr const char* kSbmlModuleEntry = "KoraBatchSbml";

// The conversions of sbml/sbml_exchange.h, as the module holds them.
struct SbmlModuleFunctions {
    bool (*available)();
    SbmlStatus (*importFile)(const std::string& path, std::string& text,
                             std::vector<std::string>& problems);
    SbmlStatus (*exportModel)(const TextLines& editorLines, std::string& xml,
                              std::vector<std::string>& problems);
};

// The module's entry gives its functions.
using SbmlModuleEntry = const SbmlModuleFunctions* (*)();

// The loaded module's functions; null with `reason` set when it cannot be
// loaded.
const SbmlModuleFunctions* LoadSbmlModule(std::string& reason);

} // namespace kora::cli

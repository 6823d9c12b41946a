#include "memory_store.h"

namespace kora {

std::optional<std::string> MemoryStore::Get(const std::string& name) const {
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

void MemoryStore::Set(const std::string& name, const std::string& value) {
    values[name] = value;
}

} // namespace kora

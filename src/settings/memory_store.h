// A key-value store held in memory, for tests and for runs that must not
// touch the user's settings.
#pragma once

#include <map>

#include "key_value_store.h"

namespace kora {

class MemoryStore : public KeyValueStore {
public:
    std::optional<std::string> Get(const std::string& name) const override;
    void Set(const std::string& name, const std::string& value) override;

    std::map<std::string, std::string> values;
};

} // namespace kora

// The per-user store the settings persist in: named string values.
#pragma once

#include <optional>
#include <string>

namespace kora {

class KeyValueStore {
public:
    virtual ~KeyValueStore() = default;

    // The stored text of `name`, or nothing when no such value exists.
    virtual std::optional<std::string> Get(const std::string& name) const = 0;
    virtual void Set(const std::string& name, const std::string& value) = 0;
    // Makes the values set so far durable; false when the store failed.
    virtual bool Flush() { return true; }
};

} // namespace kora

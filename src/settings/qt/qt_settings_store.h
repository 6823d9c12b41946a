// The settings store over QSettings: the user's own settings, or an INI
// file whose [General] group holds the values.
#pragma once

#include <QSettings>
#include <memory>
#include <string>
#include <vector>

#include "settings/key_value_store.h"

namespace kora {

class QtSettingsStore : public KeyValueStore {
public:
    // The per-user store of organisation "ZEWB", application "KORA".
    QtSettingsStore();
    // An INI file; its top-level values are the settings.
    explicit QtSettingsStore(const std::string& iniPath);

    std::optional<std::string> Get(const std::string& name) const override;
    void Set(const std::string& name, const std::string& value) override;
    bool Flush() override;

    // False when the store exists but cannot be read (e.g. a malformed file).
    bool Readable() const;
    // Every key the store holds.
    std::vector<std::string> Keys() const;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace kora

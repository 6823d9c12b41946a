// Binding of the settings fields to the store, and their loading and saving
// in the fixed order of the options.
#pragma once

#include <memory>
#include <vector>

#include "key_value_store.h"
#include "reg_option.h"
#include "settings.h"

namespace kora {

// One option per entry of the option table, bound to its field of `settings`.
// The options point into `settings`, which must outlive them.
std::vector<std::unique_ptr<RegOption>> CreateSettingsOptions(Settings& settings);

// Every option loads in order, then the recent files "MRU1".."MRU9" that
// exist replace the recent-files list.
void LoadSettings(Settings& settings, const KeyValueStore& store);

// Every option saves in order, then the recent files as "MRU1", "MRU2", ...
// Values beyond the list's length are left in the store untouched.
// False when the store could not make the values durable.
bool SaveSettings(Settings& settings, KeyValueStore& store);

} // namespace kora

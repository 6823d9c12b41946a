// The ranges the options dialog enforces on the integer settings. They are
// the same bounds the settings store applies when it loads a value.
#pragma once

#include <cstdint>
#include <string_view>

namespace kora::app {

struct IntRange {
    int32_t min = 0;
    int32_t max = 0;
};

// The range of the named integer setting; {0, 0} for a name it lacks.
IntRange SettingRange(std::string_view name);

} // namespace kora::app

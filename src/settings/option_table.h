// The table of the user's options: for each persisted value its name, type,
// default, accepted range and the Settings field it fills. The store loads
// and saves through it, and the options dialog builds its controls and their
// ranges from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings.h"

namespace kora {

enum class OptionType {
    Bool,   // stored "1"/"0"
    Int,    // a decimal integer within [min, max]
    Text,   // any text
    Colour, // a 32-bit colour pattern, stored as a signed decimal integer
    Font,   // a serialised FontDescription
};

// The item count of the steady-state report's threshold list; "SensThreshold"
// is an index into it.
inline constexpr int32_t kSensThresholdCount = 9;

struct OptionDescriptor {
    std::string valueName;
    OptionType type = OptionType::Int;
    int32_t defaultValue = 0; // Bool (0 or 1), Int, Colour (its bit pattern)
    int32_t min = 0;          // Int: values outside [min, max] read as the default
    int32_t max = 0;
    std::string defaultText; // Text; a Font's default is FontDescription{}

    // The field it fills: the one member pointer of its type, or for a stock
    // colour (Colour without colourField) the entry `stockIndex`.
    bool Settings::*boolField = nullptr;
    int32_t Settings::*intField = nullptr;
    std::string Settings::*textField = nullptr;
    Colour Settings::*colourField = nullptr;
    FontDescription Settings::*fontField = nullptr;
    size_t stockIndex = 0;

    bool& BoolIn(Settings& s) const { return s.*boolField; }
    int32_t& IntIn(Settings& s) const { return s.*intField; }
    std::string& TextIn(Settings& s) const { return s.*textField; }
    Colour& ColourIn(Settings& s) const {
        return colourField ? s.*colourField : s.stockColours[stockIndex];
    }
    FontDescription& FontIn(Settings& s) const { return s.*fontField; }
};

// Every option, in load and save order.
const std::vector<OptionDescriptor>& OptionTable();

// The option of that value name, or nullptr.
const OptionDescriptor* FindOption(std::string_view valueName);

// Sets every field the table describes to its default.
void ApplyOptionDefaults(Settings& settings);

} // namespace kora

#include "stored_value_check.h"

#include <algorithm>

#include "int_text.h"
#include "option_table.h"

namespace kora {
namespace {

std::string Problem(const OptionDescriptor& option, const std::string& stored,
                    const std::string& why) {
    return "setting " + option.valueName + " = '" + stored + "' " + why + "; " +
           std::to_string(option.defaultValue) + " is used instead";
}

bool IsRecentFileKey(const std::string& key) {
    return key.size() == 4 && key.compare(0, 3, "MRU") == 0 && key[3] >= '1' && key[3] <= '9';
}

} // namespace

std::vector<std::string> StoredValueProblems(const KeyValueStore& store) {
    std::vector<std::string> problems;
    for (const OptionDescriptor& option : OptionTable()) {
        const std::optional<std::string> stored = store.Get(option.valueName);
        if (!stored) continue;
        if (option.type == OptionType::Bool && !ParseBoolText(*stored))
            problems.push_back(Problem(option, *stored, "is neither 1 nor 0"));
        if (option.type != OptionType::Int) continue;
        const std::optional<int32_t> value = ParseInt32(*stored);
        if (!value)
            problems.push_back(Problem(option, *stored, "is not a whole number"));
        else if (*value < option.min || *value > option.max)
            problems.push_back(Problem(option, *stored,
                                       "is outside " + std::to_string(option.min) + " to " +
                                           std::to_string(option.max)));
    }
    return problems;
}

std::vector<std::string> UnknownKeyProblems(const std::vector<std::string>& keys) {
    std::vector<std::string> problems;
    for (const std::string& key : keys)
        if (FindOption(key) == nullptr && !IsRecentFileKey(key))
            problems.push_back("setting " + key + " is not known and is ignored");
    return problems;
}

} // namespace kora

#include "option_ranges.h"

#include <array>
#include <utility>

namespace kora::app {

// TODO: read these from the settings' own option table once it offers them,
// so that the dialog and the store cannot disagree.
IntRange SettingRange(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, IntRange>, 7> kRanges{{
        {"DefaultRepPoints", {10, 1000}},
        {"MLogTolerance", {0, 18}},
        {"MinOrder", {2, 20}},
        {"MaxOrder", {2, 20}},
        {"TablePrec", {4, 15}},
        {"FilePrec", {4, 15}},
        {"SSPrec", {4, 15}},
    }};
    for (const auto& [key, range] : kRanges)
        if (key == name) return range;
    return {};
}

} // namespace kora::app

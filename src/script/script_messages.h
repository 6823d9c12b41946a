// Titles and fixed texts of the message boxes the script preparation shows.
#pragma once

#include <string_view>

namespace kora {

inline constexpr std::string_view kTitleInvalidScriptCommand = "ERROR: Invalid script command";
inline constexpr std::string_view kTitleNextNotFound = "ERROR: a matching NEXT was not found";
inline constexpr std::string_view kTitleScriptError = "Script ERROR";
inline constexpr std::string_view kTextTooManyNext = "Too many NEXT commands";
inline constexpr std::string_view kTitleInvalidSetting =
    "ERROR: invalid declaration in SETTING command";

} // namespace kora

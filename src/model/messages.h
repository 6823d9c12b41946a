// The system's string table: every message text, looked up by its number.
#pragma once

#include <string_view>

namespace kora {

// String-table bases: model-text codes, solver outcomes.
inline constexpr int kModelMessageBase = 32000;
inline constexpr int kSolverMessageBase = 32650;

// The text of string-table entry `id`, or an empty view for an unknown id.
std::string_view MessageText(int id);

// Convenience for the two coded families.
inline std::string_view ModelMessage(int code) { return MessageText(kModelMessageBase + code); }
inline std::string_view SolverMessage(int code) { return MessageText(kSolverMessageBase + code); }

} // namespace kora

// Splitting an event's text: pieces separated at the top level (outside
// brackets and parentheses).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kora {

// The options after an event's condition (`@ [X > 5; delay = 1] k = 0`):
// delay and priority take expressions, the others one of the answers.
inline constexpr std::string_view kEventDelay = "delay";
inline constexpr std::string_view kEventPriority = "priority";
inline constexpr std::string_view kEventPersistent = "persistent";
inline constexpr std::string_view kEventInitial = "initial";
inline constexpr std::string_view kEventValues = "values";
inline constexpr std::array<std::string_view, 5> kEventOptions{
    kEventDelay, kEventPriority, kEventPersistent, kEventInitial, kEventValues};
inline constexpr std::array<std::string_view, 6> kEventAnswers{"yes",   "no",      "true",
                                                               "false", "trigger", "fire"};

struct TextPiece {
    int32_t begin = 0; // first character
    int32_t end = 0;   // one past the last
};

// The pieces of text[begin, end) between top-level `separator`s.
std::vector<TextPiece> SplitTopLevel(const std::string& text, int32_t begin, int32_t end,
                                     char separator);

// The position of the closing `close` that matches an opening just before
// `begin`, or -1.
int32_t MatchingClose(const std::string& text, int32_t begin, char close);

} // namespace kora

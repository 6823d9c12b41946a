// The script command table and the prepared form of one script command.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kora {

// How the text after a command's keyword is taken.
enum class ArgumentKind : int {
    None = 0, // the whole line must equal the keyword
    Text = 1, // the rest of the line is one argument
    List = 2, // the rest of the line is split at every comma
};

// Operation codes; the executor dispatches on them.
inline constexpr int kCmdSolve = 1;
inline constexpr int kCmdRestore = 2;
inline constexpr int kCmdSet = 3;
inline constexpr int kCmdSetAndSolve = 4;
inline constexpr int kCmdOpen = 5;
inline constexpr int kCmdActivateSelf = 6;
inline constexpr int kCmdActivateOther = 7;
inline constexpr int kCmdWrite = 8;
inline constexpr int kCmdResetTimer = 9;
inline constexpr int kCmdMerge = 10;
inline constexpr int kCmdClose = 11;
inline constexpr int kCmdSetting = 12;
inline constexpr int kCmdNext = 13;
inline constexpr int kCmdSaveResults = 14;
inline constexpr int kCmdClearResults = 15;
inline constexpr int kCmdSuperimpose = 16;
inline constexpr int kCmdSteadyState = 17;
inline constexpr int kCmdScriptStart = 18;
inline constexpr int kCmdFit = 19;

struct ScriptCommandSignature {
    // Upper case; includes the separating blank for commands with arguments.
    std::string_view keyword;
    ArgumentKind kind;
    int code;
};

// Searched in order, first match wins: longer keywords sharing a prefix with a
// shorter one ("SUPERIMPOSE SOLUTIONS " before "SUPERIMPOSE ") must come first.
inline constexpr std::array<ScriptCommandSignature, 31> kScriptCommandTable{{
    {"SCRIPT", ArgumentKind::None, kCmdScriptStart},
    {"SETTING ", ArgumentKind::List, kCmdSetting},
    {"NEXT", ArgumentKind::None, kCmdNext},
    {"RUN", ArgumentKind::None, kCmdSolve},
    {"SOLVE", ArgumentKind::None, kCmdSolve},
    {"->", ArgumentKind::None, kCmdSolve},
    {"RESTORE", ArgumentKind::None, kCmdRestore},
    {"R", ArgumentKind::None, kCmdRestore},
    {"SET ", ArgumentKind::List, kCmdSet},
    {"SOLVE ", ArgumentKind::List, kCmdSetAndSolve},
    {"RUN ", ArgumentKind::List, kCmdSetAndSolve},
    {"->", ArgumentKind::List, kCmdSetAndSolve},
    {"OPEN ", ArgumentKind::Text, kCmdOpen},
    {"ACTIVATE", ArgumentKind::None, kCmdActivateSelf},
    {"ACTIVATE ", ArgumentKind::Text, kCmdActivateOther},
    {"WRITE", ArgumentKind::None, kCmdWrite},
    {"W", ArgumentKind::None, kCmdWrite},
    {"WRITE ", ArgumentKind::Text, kCmdWrite},
    {"W ", ArgumentKind::Text, kCmdWrite},
    {"RESET_TIMER", ArgumentKind::None, kCmdResetTimer},
    {"MERGE ", ArgumentKind::Text, kCmdMerge},
    {"SAVE RES TO ", ArgumentKind::Text, kCmdSaveResults},
    {"SAVE RESULTS TO ", ArgumentKind::Text, kCmdSaveResults},
    {"CLEAR RES", ArgumentKind::None, kCmdClearResults},
    {"CLEAR RESULTS", ArgumentKind::None, kCmdClearResults},
    {"CLOSE ", ArgumentKind::Text, kCmdClose},
    {"SUPERIMPOSE SOLUTIONS ", ArgumentKind::Text, kCmdSuperimpose},
    {"SUPERIMPOSE ", ArgumentKind::Text, kCmdSuperimpose},
    {"STEADY STATE", ArgumentKind::None, kCmdSteadyState},
    {"SS", ArgumentKind::None, kCmdSteadyState},
    {"FIT ", ArgumentKind::Text, kCmdFit},
}};

// One prepared command; the document keeps them in script order.
struct ScriptCommandStatus {
    int code = 0;
    int sourceLine = 0; // index into the script lines, for messages
    // SETTING: index of its NEXT; NEXT: index of its SETTING; 0 otherwise.
    int ref = 0;
    int currarg = 0; // SETTING: next value to apply
    std::vector<std::string> arguments;
};

struct MatchResult {
    bool matched = false;
    int code = 0;
    size_t argumentStart = 0; // 0-based offset of the arguments in the line
    ArgumentKind kind = ArgumentKind::None;
};

// Matches a trimmed line against one table row. Keywords ignore case.
MatchResult Match(size_t row, std::string_view line);

// The first row that matches `line`, or kScriptCommandTable.size() if none.
size_t FindCommandRow(std::string_view line);

// The arguments of a matched line: none, the rest of the line, or the rest
// split at every comma (pieces kept untrimmed; the executor trims them).
std::vector<std::string> SplitArguments(std::string_view line, const MatchResult& match);

} // namespace kora

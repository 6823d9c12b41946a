// Splitting file names as users write them. Names in scripts and settings may
// come from either kind of system, so "\" and "/" both separate directories
// and "X:" names a drive, whatever system runs the program.
#pragma once

#include <string>
#include <string_view>

namespace kora {

// The directory part of `path` with its trailing separator ("" if none).
std::string_view DirectoryPart(std::string_view path);

// The name without its directory part: "m.krm" for "/data/m.krm" or "C:\m\m.krm".
std::string_view BaseFileName(std::string_view path);

// Whether `fileName` ends with `extension` (".res"), in any case.
bool HasExtension(std::string_view fileName, std::string_view extension);

// A results file: one whose name ends with ".res" in any case.
inline bool IsResultsFileName(std::string_view fileName) {
    return HasExtension(fileName, ".res");
}

} // namespace kora

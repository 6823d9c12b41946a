// Replacing a file in one step, so that a crash or a full disk leaves either
// the old file or the new one, never a truncated mix.
#pragma once

#include <string>
#include <string_view>

namespace kora {

// Writes `contents` to a new file beside `path`, flushes it to the disk and
// renames it over `path` (through a symbolic link, onto its target, keeping
// the link). An existing file keeps its permissions. A device or FIFO is
// written in place, as is anything reached through /proc (/dev/stdout). Returns "" on success, else
// the reason; on failure `path` is untouched and no temporary file is left.
std::string WriteFileAtomically(const std::string& path, std::string_view contents);

// Before any work: "" when WriteFileAtomically could create its file for
// `path` now (tried with an empty file that is removed again), else why not.
std::string WhyCannotReplace(const std::string& path);

} // namespace kora

namespace kora {

// True when both paths name one existing file (also through links or
// another path); a write to one would destroy the other.
bool IsSameFile(const std::string& a, const std::string& b);

} // namespace kora

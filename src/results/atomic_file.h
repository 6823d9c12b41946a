// Replacing a file in one step, so that a crash or a full disk leaves either
// the old file or the new one, never a truncated mix.
#pragma once

#include <string>
#include <string_view>

namespace kora {

// Writes `contents` to a new file beside `path`, flushes it to the disk and
// renames it over `path` (through a symbolic link, onto its target). An
// existing file keeps its permissions. Returns "" on success, else the reason;
// on failure `path` is untouched and no temporary file is left.
std::string WriteFileAtomically(const std::string& path, std::string_view contents);

} // namespace kora

// Reading a command's input file, saying why it cannot be read.
#pragma once

#include <string>
#include <vector>

#include "common/file_readable.h"

namespace kora::cli {

// Reads the lines of `path`; "" on success, else why not (WhyUnreadable's words).
std::string ReadInputLines(const std::string& path, std::vector<std::string>& lines);

} // namespace kora::cli

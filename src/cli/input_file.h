// Why an input file cannot be read, in the same words for every command.
#pragma once

#include <string>
#include <vector>

namespace kora::cli {

// "no such file", "is a directory", "permission denied" or the system's own
// words; "" when the file can be read.
std::string WhyUnreadable(const std::string& path);

// Reads the lines of `path`; "" on success, else why not (as above).
std::string ReadInputLines(const std::string& path, std::vector<std::string>& lines);

} // namespace kora::cli

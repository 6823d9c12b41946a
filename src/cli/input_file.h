// Why an input file cannot be read, in the same words for every command.
#pragma once

#include <string>

namespace kora::cli {

// "no such file", "is a directory", "permission denied" or the system's own
// words; "" when the file can be read.
std::string WhyUnreadable(const std::string& path);

} // namespace kora::cli

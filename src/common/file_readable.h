// Why a file cannot be read, in the same words wherever a file is opened.
#pragma once

#include <string>

namespace kora {

// "no such file", "is a directory", "permission denied" or the system's own
// words; "" when the file can be read.
std::string WhyUnreadable(const std::string& path);

} // namespace kora

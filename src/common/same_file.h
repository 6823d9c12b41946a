// Whether two names denote one file: both made absolute and canonical as far
// as they exist, so that "./a.krm", "dir/../a.krm" and a link to it agree.
#pragma once

#include <string>

namespace kora {

std::string CanonicalFileName(const std::string& fileName);
bool SameFile(const std::string& a, const std::string& b);

} // namespace kora

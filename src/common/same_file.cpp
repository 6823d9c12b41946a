#include "same_file.h"

#include <filesystem>
#include <system_error>

namespace kora {

std::string CanonicalFileName(const std::string& fileName) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(fs::path(fileName), error);
    return error ? fs::path(fileName).lexically_normal().string() : canonical.string();
}

bool SameFile(const std::string& a, const std::string& b) {
    return CanonicalFileName(a) == CanonicalFileName(b);
}

} // namespace kora

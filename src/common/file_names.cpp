#include "file_names.h"

#include "ascii_case.h"

namespace kora {

std::string_view DirectoryPart(std::string_view path) {
    const size_t last = path.find_last_of("\\/:");
    if (last == std::string_view::npos) return {};
    return path.substr(0, last + 1);
}

std::string_view BaseFileName(std::string_view path) {
    return path.substr(DirectoryPart(path).size());
}

bool HasExtension(std::string_view fileName, std::string_view extension) {
    return fileName.size() >= extension.size() &&
           EqualsIgnoringCase(fileName.substr(fileName.size() - extension.size()), extension);
}

} // namespace kora

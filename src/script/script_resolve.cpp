#include "script_resolve.h"

#include "script_text.h"

namespace kora {

std::string_view DirectoryPart(std::string_view path) {
    const size_t last = path.find_last_of("\\/:");
    if (last == std::string_view::npos) return {};
    return path.substr(0, last + 1);
}

std::string Resolve(const ScriptDocumentInfo& document, std::string_view name) {
    const std::string_view trimmed = script_text::Trim(name);
    if (document.fileName.empty() || !DirectoryPart(trimmed).empty()) return std::string(trimmed);
    std::string resolved(DirectoryPart(document.fileName));
    resolved += trimmed;
    return resolved;
}

} // namespace kora

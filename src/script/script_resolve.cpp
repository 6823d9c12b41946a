#include "script_resolve.h"

#include "common/file_names.h"
#include "common/text_trim.h"

namespace kora {

std::string Resolve(const ScriptDocumentInfo& document, std::string_view name) {
    const std::string_view trimmed = TrimSpaceAndControls(name);
    if (document.fileName.empty() || !DirectoryPart(trimmed).empty()) return std::string(trimmed);
    std::string resolved(DirectoryPart(document.fileName));
    resolved += trimmed;
    return resolved;
}

} // namespace kora

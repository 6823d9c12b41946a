// File names in script commands are relative to the script's own document.
#pragma once

#include <string>
#include <string_view>

namespace kora {

// What the script preparation needs to know about the document that holds
// the script.
struct ScriptDocumentInfo {
    std::string fileName; // full path; empty while the document was never saved
};

// A name without any directory part is taken from the document's directory;
// other names, and every name of an unsaved document, are kept. Surrounding
// blanks are dropped: they can only come from extra spaces after the keyword.
std::string Resolve(const ScriptDocumentInfo& document, std::string_view name);

} // namespace kora

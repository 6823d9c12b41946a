#include "script_check.h"

#include "script_prepare.h"

namespace kora {

bool CheckScript(const TextLines& editorLines, const ScriptDocumentInfo& document,
                 WarningBoxes& host) {
    ExtractedLines extracted = ExtractModelLines(editorLines, true);
    if (extracted.scriptLines.empty()) extracted.scriptLines.push_back("run");
    PreparedScript prepared;
    return Prepare(extracted.scriptLines, document, prepared, host);
}

} // namespace kora

#include "script_check.h"

#include "parallel_loops.h"
#include "script_prepare.h"

namespace kora {

bool CheckScript(const TextLines& editorLines, const ScriptDocumentInfo& document,
                 WarningBoxes& host, std::vector<std::string>* serialLoops) {
    ExtractedLines extracted = ExtractModelLines(editorLines, true);
    if (extracted.scriptLines.empty()) extracted.scriptLines.push_back("run");
    PreparedScript prepared;
    if (!Prepare(extracted.scriptLines, document, prepared, host)) return false;
    if (serialLoops == nullptr) return true;
    for (const SerialLoopNote& note : SerialLoops(prepared)) {
        const size_t line = static_cast<size_t>(note.sourceLine);
        const std::string text = line < extracted.scriptLines.size() ? extracted.scriptLines[line]
                                                                     : std::string("SETTING");
        serialLoops->push_back(text + ": runs serially, " + note.reason);
    }
    return true;
}

} // namespace kora

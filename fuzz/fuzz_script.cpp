// Script blocks: prepare and check a model text's script.
#include "base/document_host.h"
#include "fuzz_input.h"
#include "script/script_check.h"

namespace {

class SilentBoxes : public kora::WarningBoxes {
public:
    void WarningBox(const std::string&, const std::string&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kora;
    if (fuzz::TooLarge(size)) return -1;
    const TextLines lines = SplitTextLines(fuzz::AsText(data, size));
    SilentBoxes boxes;
    // A saved document resolves file names against its folder; an unsaved one keeps them.
    CheckScript(lines, ScriptDocumentInfo{"/nonexistent/fuzz/model.krm"}, boxes);
    CheckScript(lines, ScriptDocumentInfo{}, boxes);
    return 0;
}

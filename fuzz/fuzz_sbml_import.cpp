// SBML import: libSBML's reader and the conversion into a model text, whose
// result must then build like any model the user writes.
#include "fuzz_input.h"
#include "model/krm_parser.h"
#include "sbml/sbml_exchange.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kora;
    if (fuzz::TooLarge(size)) return -1;
    std::string text;
    std::vector<std::string> problems;
    {
        const fuzz::InputFile file(data, size, ".xml");
        if (ImportSbmlFile(file.path(), text, problems) != SbmlStatus::Ok) return 0;
    }
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    model.Build(fuzz::ModelLinesOf(text));
    return 0;
}

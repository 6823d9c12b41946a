// Model text: read, compile and build the power-law form.
#include "fuzz_input.h"
#include "model/krm_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kora;
    if (fuzz::TooLarge(size)) return -1;
    const TextLines lines = fuzz::ModelLinesOf(fuzz::AsText(data, size));
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    model.Build(lines);
    if (!model.HasErrors()) model.BuildForm();
    return 0;
}

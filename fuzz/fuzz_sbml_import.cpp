// SBML import: libSBML's reader and the conversion into a model text, whose
// result must then build like any model the user writes.
#include <unistd.h>

#include <fstream>

#include "fuzz_input.h"
#include "model/krm_parser.h"
#include "sbml/sbml_exchange.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kora;
    if (fuzz::TooLarge(size)) return -1;
    const std::string path = "/tmp/kora_fuzz_sbml_" + std::to_string(::getpid()) + ".xml";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::string text;
    std::vector<std::string> problems;
    const SbmlStatus status = ImportSbmlFile(path, text, problems);
    ::unlink(path.c_str());
    if (status != SbmlStatus::Ok) return 0;
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    model.Build(fuzz::ModelLinesOf(text));
    return 0;
}

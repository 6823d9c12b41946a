// Results files: read, and whatever reads must round-trip. What is written
// from a read set reads back into a set that writes the same text again.
#include <cstdlib>

#include "fuzz_input.h"
#include "results/results_file.h"
#include "results/results_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kora;
    if (fuzz::TooLarge(size)) return -1;
    for (const char separator : {'.', ','}) {
        ResultsSet first;
        if (!ParseResultsText(first, fuzz::AsText(data, size), separator)) continue;
        const std::string written = FormatResultsText(first, separator);
        ResultsSet second;
        second.precision = first.precision;
        if (!ParseResultsText(second, written, separator)) std::abort();
        if (FormatResultsText(second, separator) != written) std::abort();
    }
    return 0;
}

// Plot descriptions (the "[Graph]" section): read any lines; a description
// that reads writes lines that read into the same description.
#include <cstdlib>

#include "fuzz_input.h"
#include "results/graph_section.h"
#include "results/results_set.h"
#include "results/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kora;
    if (fuzz::TooLarge(size)) return -1;
    std::vector<std::string> lines;
    for (std::string_view line : SplitLines(fuzz::AsText(data, size)))
        lines.emplace_back(line);
    ResultsSet first;
    if (!ReadGraphSection(first, lines).ok) return 0;
    std::vector<std::string> written;
    WriteGraphSection(first, written);
    ResultsSet second;
    if (!ReadGraphSection(second, written).ok) std::abort();
    std::vector<std::string> again;
    WriteGraphSection(second, again);
    if (again != written) std::abort();
    return 0;
}

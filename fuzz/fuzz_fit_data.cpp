// Measured data tables for fitting: any text reads into a consistent table
// or a located message, never a crash.
#include <cstdlib>

#include "fit/data_table.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kora;
    if (fuzz::TooLarge(size)) return -1;
    DataTable table;
    const std::string error =
        ReadDataTable("data.csv", SplitTextLines(fuzz::AsText(data, size)), table);
    if (!error.empty()) return 0;
    // A table that reads has one value per row in every column.
    for (const DataColumn& column : table.columns) {
        if (column.values.size() != table.times.size()) std::abort();
        if (!column.sd.empty() && column.sd.size() != table.times.size()) std::abort();
    }
    return 0;
}

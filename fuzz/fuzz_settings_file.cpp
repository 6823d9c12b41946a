// Settings files named on the command line (INI, read through Qt).
#include "fuzz_input.h"
#include "settings/qt/settings_file.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kora;
    if (fuzz::TooLarge(size)) return -1;
    const fuzz::InputFile file(data, size, ".ini");
    Settings settings;
    std::vector<std::string> warnings;
    LoadSettingsFile(file.path(), settings, warnings);
    return 0;
}

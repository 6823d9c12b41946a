// Settings files named on the command line (INI, read through Qt).
#include <unistd.h>

#include <fstream>

#include "fuzz_input.h"
#include "settings/qt/settings_file.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kora;
    if (fuzz::TooLarge(size)) return -1;
    // The reader takes a file name; each process writes its own.
    const std::string path = "/tmp/kora_fuzz_settings_" + std::to_string(::getpid()) + ".ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    Settings settings;
    std::vector<std::string> warnings;
    LoadSettingsFile(path, settings, warnings);
    ::unlink(path.c_str());
    return 0;
}

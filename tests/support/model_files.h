// The model files of the examples and the test data, and their model lines.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/krm_parser.h"

namespace kora::test {

// Every ".krm" file of the examples and of the test data (fuzzing inputs
// left out), in a fixed order.
inline std::vector<std::filesystem::path> ExampleAndTestModels() {
    std::vector<std::filesystem::path> files;
    for (const char* folder : {KORA_EXAMPLES_DIR, KORA_TEST_DATA_DIR})
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.path().extension() == ".krm" &&
                entry.path().string().find("fuzz") == std::string::npos)
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The lines before the script block.
inline TextLines ModelLinesOf(const std::filesystem::path& file) {
    std::ifstream in(file);
    TextLines lines;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("SCRIPT", 0) == 0) break;
        lines.push_back(line);
    }
    return lines;
}

} // namespace kora::test

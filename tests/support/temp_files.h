// File helpers shared by the tests that write and read real files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kora::testing {

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A fresh directory of the running test, removed with its owner. The process
// id keeps test programs that run at once apart.
struct ScratchDirectory {
    ScratchDirectory() {
        static int count = 0;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() /
               ("kora_test_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" +
                info->name() + "_" + std::to_string(++count));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchDirectory() { std::filesystem::remove_all(path); }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::string File(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path Write(const std::string& name, const std::string& text) const {
        std::ofstream(path / name, std::ios::binary) << text;
        return path / name;
    }

    std::filesystem::path path;
};

class TempDirTest : public ::testing::Test {
protected:
    std::filesystem::path Write(const std::string& name, const std::string& text) {
        return scratch_.Write(name, text);
    }

    ScratchDirectory scratch_;
    const std::filesystem::path dir_ = scratch_.path;
};

} // namespace kora::testing

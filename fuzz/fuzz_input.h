// What every fuzz target shares: the size cap, and the input as model lines
// or as a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

#include "model/model_text.h"

namespace kora::fuzz {

// Larger inputs teach nothing that smaller ones do not and only slow the
// search; the readers' own size limits are tested elsewhere.
inline constexpr size_t kMaxInputBytes = 64 * 1024;

inline bool TooLarge(size_t size) {
    return size > kMaxInputBytes;
}

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The model lines of an editor text, as Run splits them.
inline TextLines ModelLinesOf(std::string_view text) {
    return ExtractModelLines(SplitTextLines(text), true).modelLines;
}

// The input as a file of this process's own, for readers that take a file
// name; the file is removed with the returned object.
class InputFile {
public:
    InputFile(const uint8_t* data, size_t size, const char* extension)
        : path_("/tmp/kora_fuzz_" + std::to_string(::getpid()) + extension) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ~InputFile() { ::unlink(path_.c_str()); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace kora::fuzz

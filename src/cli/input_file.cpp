#include "input_file.h"

#include "common/file_readable.h"
#include "model/model_text.h"

namespace kora::cli {

std::string ReadInputLines(const std::string& path, std::vector<std::string>& lines) {
    if (std::string why = WhyUnreadable(path); !why.empty()) return why;
    return ReadTextLines(path, lines) == TextReadStatus::Ok ? std::string() : "read error";
}

} // namespace kora::cli

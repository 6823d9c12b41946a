#include "text_lines.h"

namespace kora {

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + (text.substr(end, 2) == "\r\n" ? 2 : 1));
    }
    return lines;
}

bool ReadLine(std::istream& in, std::string& line) {
    line.clear();
    std::streambuf& buffer = *in.rdbuf();
    for (;;) {
        const int c = buffer.sbumpc();
        if (c == std::char_traits<char>::eof()) {
            if (line.empty()) in.setstate(std::ios::eofbit | std::ios::failbit);
            return !line.empty();
        }
        if (c == '\n') return true;
        if (c == '\r') {
            if (buffer.sgetc() == '\n') buffer.sbumpc();
            return true;
        }
        line += static_cast<char>(c);
    }
}

} // namespace kora

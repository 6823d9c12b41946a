#include "model_text.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/ascii_case.h"
#include "common/text_trim.h"

namespace kora {

TextLines SplitTextLines(std::string_view text) {
    // CR, LF and CR LF all end a line, as editors on every system write them;
    // a lone CR must not vanish and join what stands on either side.
    TextLines lines;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find_first_of("\r\n", begin);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(begin, end - begin));
        begin = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

TextReadStatus ReadTextLines(const std::string& path, TextLines& lines) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) return TextReadStatus::CannotOpen;
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) return TextReadStatus::CannotOpen;
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) return TextReadStatus::ReadFailed;
    lines = SplitTextLines(content.str());
    return TextReadStatus::Ok;
}

bool IsScriptStart(std::string_view line) {
    return UpperAscii(line) == "SCRIPT";
}

bool IsScriptEnd(std::string_view line) {
    const std::string upper = UpperAscii(line);
    return upper == "END SCRIPT" || upper == "ENDSCRIPT";
}

ExtractedLines ExtractModelLines(const TextLines& lines, bool dropScript) {
    ExtractedLines result;
    bool inScript = false;
    for (const std::string& raw : lines) {
        // As the document reads them: a stray control character at an end
        // must not make one command refuse what another accepts.
        std::string line(TrimSpaceAndControls(raw));
        if (dropScript) {
            if (IsScriptStart(line))
                inScript = true;
            else if (IsScriptEnd(line))
                inScript = false;
        }
        if (line.empty() || line.compare(0, 2, "//") == 0) continue;
        (inScript ? result.scriptLines : result.modelLines).push_back(std::move(line));
    }
    return result;
}

} // namespace kora

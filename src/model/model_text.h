// The editor text of a document as lines, and its split into the model lines
// that the model reader sees and the lines of the script blocks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kora {

using TextLines = std::vector<std::string>;

enum class TextReadStatus { Ok = 0, CannotOpen, ReadFailed };

// Reads a text file into lines; line ends may be CR LF, LF or CR. A final
// line end does not start another line.
TextReadStatus ReadTextLines(const std::string& path, TextLines& lines);
// The same split for text already in memory.
TextLines SplitTextLines(std::string_view text);

struct ExtractedLines {
    TextLines modelLines;
    TextLines scriptLines;
};

// Trims every line (spaces and control characters) and drops empty lines and lines starting with
// "//". With `dropScript` the lines from a "SCRIPT" line up to (not including) an "END
// SCRIPT"/"ENDSCRIPT" line go to the script (several blocks join); without it every line is a model
// line.
ExtractedLines ExtractModelLines(const TextLines& lines, bool dropScript);

// The lines that open and close a script block, trimmed, in any case.
bool IsScriptStart(std::string_view line);
bool IsScriptEnd(std::string_view line);

} // namespace kora

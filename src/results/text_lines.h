// Splitting file text into lines and lines into blank-separated tokens.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace kora {

// Lines ended by CR LF, LF or CR; the last line may lack its end.
std::vector<std::string_view> SplitLines(std::string_view text);

// The next line of `in` without its end (CR LF, LF or CR); false at the end
// of the stream.
bool ReadLine(std::istream& in, std::string& line);

// Calls `take(token)` for each run of characters other than blanks and tabs,
// until it returns false; returns the number of tokens taken.
template <typename Take> size_t ForEachToken(std::string_view line, Take take) {
    size_t count = 0;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i == start) break;
        ++count;
        if (!take(line.substr(start, i - start))) break;
    }
    return count;
}

inline bool StartsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

} // namespace kora

#include "results_file.h"

#include <filesystem>
#include <fstream>

#include "atomic_file.h"
#include "common/text_trim.h"
#include "graph_section.h"
#include "number_text.h"
#include "text_lines.h"

namespace kora {

namespace {

constexpr std::string_view kGraphLine = "[Graph]";
constexpr std::string_view kDataLine = "[Data]";
constexpr const char* kLineEnd = "\r\n";

ResultsFileResult Failure(std::string reason) {
    return {false, std::move(reason)};
}

ResultsFileResult Unreadable(std::string reason) {
    return {false, std::move(reason), true};
}

std::string LineNumber(size_t index) {
    return "line " + std::to_string(index + 1);
}

void AppendDataSection(const TimeCourse& course, size_t position, int32_t precision, char separator,
                       std::string& text) {
    text += "[Data][";
    text += course.title.empty() ? std::to_string(position) : course.title;
    text += "]";
    text += kLineEnd;
    for (const std::string& name : course.names)
        text += name + "\t";
    text += kLineEnd;
    const size_t columns = static_cast<size_t>(course.columns);
    const size_t available = columns == 0 ? 0 : course.data.size() / columns;
    const size_t rows = std::min(static_cast<size_t>(std::max(course.rows, 0)), available);
    for (size_t r = 0; r < rows; ++r) {
        const double* row = course.data.data() + r * columns;
        for (size_t c = 0; c < columns; ++c) {
            AppendGeneral(text, row[c], precision, separator);
            text += '\t';
        }
        text += kLineEnd;
    }
}

// Title between the first "[" and the last "]" after "[Data]", so that
// titles holding brackets read back whole.
std::string SectionTitle(std::string_view line) {
    const std::string_view rest = line.substr(kDataLine.size());
    const size_t open = rest.find('[');
    const size_t close = rest.rfind(']');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::string();
    return std::string(TrimSpaceAndControls(rest.substr(open + 1, close - open - 1)));
}

size_t NextDataLine(const std::vector<std::string_view>& lines, size_t from) {
    while (from < lines.size() && !StartsWith(lines[from], kDataLine))
        ++from;
    return from;
}

// One data section starting at `lines[at]`; on success `at` moves to the
// next section line (or the end). Rows are checked before the value block
// is allocated, so its size never exceeds what the text holds.
ResultsFileResult ReadDataSection(const std::vector<std::string_view>& lines, size_t& at,
                                  char separator, const StockColourTable& stock,
                                  TimeCourse& course) {
    const size_t sectionLine = at;
    std::vector<std::string> names;
    if (at + 1 < lines.size())
        ForEachToken(lines[at + 1], [&](std::string_view name) {
            names.emplace_back(name);
            return true;
        });
    if (names.empty())
        return Failure(LineNumber(sectionLine + 1) + ": the data section has no column names");
    if (names.size() > static_cast<size_t>(INT32_MAX - 4))
        return Failure(LineNumber(sectionLine + 1) + ": too many columns");
    const size_t columns = names.size();
    const size_t end = NextDataLine(lines, at + 2);
    size_t rows = 0;
    for (size_t i = at + 2; i < end; ++i) {
        if (TrimSpaceAndControls(lines[i]).empty()) continue;
        const size_t values = ForEachToken(lines[i], [&](std::string_view) { return true; });
        if (values < columns)
            return Failure(LineNumber(i) + ": " + std::to_string(values) + " values for " +
                           std::to_string(columns) + " columns");
        ++rows;
    }
    if (rows == 0) return Failure(LineNumber(sectionLine) + ": the data section has no rows");
    if (rows > static_cast<size_t>(INT32_MAX))
        return Failure(LineNumber(sectionLine) + ": too many rows");

    course = TimeCourse(static_cast<int32_t>(columns), SectionTitle(lines[sectionLine]), stock);
    course.names = std::move(names);
    course.data.Allocate(rows * columns);
    if (course.data.IsNull())
        return Failure(LineNumber(sectionLine) + ": not enough memory for " + std::to_string(rows) +
                       " rows");
    course.rows = static_cast<int32_t>(rows);
    double* out = course.data.data();
    for (size_t i = at + 2; i < end; ++i) {
        size_t taken = 0;
        std::string_view bad;
        ForEachToken(lines[i], [&](std::string_view token) {
            const std::optional<double> value = ParseNumber(token, separator);
            if (!value) {
                bad = token;
                return false;
            }
            *out++ = *value;
            return ++taken < columns;
        });
        if (!bad.empty())
            return Failure(LineNumber(i) + ": \"" + std::string(bad) + "\" is not a number");
    }
    at = end;
    return {};
}

} // namespace

std::string FormatResultsText(const ResultsSet& set, char decimalSeparator) {
    std::vector<std::string> graph;
    WriteGraphSection(set, graph, decimalSeparator);
    std::string text(kGraphLine);
    text += kLineEnd;
    for (const std::string& line : graph)
        text += line + kLineEnd;
    text += " ";
    text += kLineEnd;
    for (size_t k = 0; k < set.timeCourses.size(); ++k)
        AppendDataSection(set.timeCourses[k], k, set.precision, decimalSeparator, text);
    return text;
}

ResultsFileResult ParseResultsText(ResultsSet& set, std::string_view text, char localeSeparator,
                                   const StockColourTable& stock) {
    const std::vector<std::string_view> lines = SplitLines(text);
    set.timeCourses.clear();
    const size_t firstData = NextDataLine(lines, 0);
    if (firstData == lines.size()) return Failure("no \"[Data]\" section");
    for (size_t at = firstData; at < lines.size();) {
        TimeCourse course;
        ResultsFileResult result = ReadDataSection(lines, at, localeSeparator, stock, course);
        if (!result) return result;
        set.timeCourses.push_back(std::move(course));
    }
    if (StartsWith(lines.front(), kGraphLine) && !set.rangesKnown) {
        const std::vector<std::string> graph(lines.begin() + 1, lines.begin() + firstData);
        const GraphReadResult read = ReadGraphSection(set, graph, localeSeparator, stock);
        if (!read.ok) return Failure("[Graph]: " + read.reason);
    }
    return {};
}

bool HasRows(const ResultsSet& set) {
    for (const TimeCourse& course : set.timeCourses)
        if (course.rows > 0) return true;
    return false;
}

ResultsFileResult WriteResultsFile(const ResultsSet& set, const std::string& fileName,
                                   char decimalSeparator) {
    // An empty set would only destroy what the file held.
    std::error_code error;
    if (!HasRows(set) && std::filesystem::exists(fileName, error))
        return Failure("no results to write; '" + fileName + "' is left as it was");
    std::string failure = WriteFileAtomically(fileName, FormatResultsText(set, decimalSeparator));
    if (!failure.empty()) return Failure(std::move(failure));
    return {};
}

ResultsFileResult ReadResultsFile(ResultsSet& set, const std::string& fileName,
                                  char localeSeparator, const StockColourTable& stock) {
    // Read as a stream, not sized by seeking: a pipe has no size, and a
    // folder opens but has no contents.
    std::error_code error;
    std::ifstream file;
    if (!std::filesystem::is_directory(fileName, error)) file.open(fileName, std::ios::binary);
    if (!file.is_open()) return Unreadable("cannot open '" + fileName + "'");
    std::string contents;
    char chunk[1 << 16];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0)
        contents.append(chunk, static_cast<size_t>(file.gcount()));
    if (file.bad()) return Unreadable("cannot read '" + fileName + "'");
    ResultsFileResult result = ParseResultsText(set, contents, localeSeparator, stock);
    if (!result) result.reason = fileName + ": " + result.reason;
    return result;
}

std::vector<std::string> ReadGraphSectionLines(const std::string& fileName) {
    std::vector<std::string> lines;
    std::ifstream file(fileName, std::ios::binary);
    std::string line;
    if (!ReadLine(file, line) || !StartsWith(line, kGraphLine)) return lines;
    while (ReadLine(file, line) && !StartsWith(line, kDataLine))
        lines.push_back(line);
    return lines;
}

} // namespace kora

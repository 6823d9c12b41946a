#include "write_items.h"

#include <cstdlib>
#include <optional>

#include "base/time_course.h"
#include "common/ascii_case.h"
#include "common/general_number.h"
#include "common/text_trim.h"
#include "setting_declaration.h"

namespace kora {

namespace {

constexpr std::string_view kNotAvailable = "N/A";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The whole text as one number, or nothing.
std::optional<double> ReadWholeNumber(std::string_view text) {
    size_t position = 0;
    const std::optional<double> value = ReadDecimalNumber(text, position);
    if (!value || !TrimSpaceAndControls(text.substr(position)).empty()) return std::nullopt;
    return value;
}

int FindColumn(const TimeCourse& course, std::string_view name) {
    for (size_t c = 0; c < course.names.size(); ++c)
        if (course.names[c] == name) return static_cast<int>(c);
    return -1;
}

// The value at time `t` interpolated in the first pair of rows around it.
std::optional<double> Interpolate(const TimeCourse& course, int column, double t) {
    for (int32_t row = 0; row + 1 < course.rows; ++row) {
        const double t0 = course.Value(row, 0);
        const double t1 = course.Value(row + 1, 0);
        if (!(t0 <= t && t <= t1)) continue;
        const double y0 = course.Value(row, column);
        const double y1 = course.Value(row + 1, column);
        // Two rows at one time (an event) would divide by zero.
        if (t1 == t0) return y0;
        return y0 + (y1 - y0) * (t - t0) / (t1 - t0);
    }
    return std::nullopt;
}

// "x@LAST" or "x@time" against the last time course; nothing when the time
// lies outside it, so that the item is taken as a model quantity instead.
std::optional<std::string> CourseValue(const TimeCourse& course, std::string_view item) {
    const size_t at = item.rfind('@');
    const std::string_view name = TrimSpaceAndControls(item.substr(0, at));
    const std::string_view when = TrimSpaceAndControls(item.substr(at + 1));
    const int column = FindColumn(course, name);
    if (column < 0) return std::string(kNotAvailable);
    if (EqualsIgnoringCase(when, "LAST")) {
        if (course.rows == 0) return std::string(kNotAvailable);
        return FormatWriteValue(course.Value(course.rows - 1, column));
    }
    const std::optional<double> t = ReadWholeNumber(when);
    if (!t) return std::string(kNotAvailable);
    const std::optional<double> value = Interpolate(course, column, *t);
    if (!value) return std::nullopt;
    return FormatWriteValue(*value);
}

std::string ModelValue(std::string item, const WriteSources& sources) {
    const bool declarationWanted = !item.empty() && item.back() == '=';
    if (!declarationWanted) item += '=';
    if (!sources.locateDeclaration || !sources.locateDeclaration(item))
        return std::string(kNotAvailable);
    if (declarationWanted) return item;
    const size_t equals = item.rfind('=');
    const std::string_view value = TrimSpaceAndControls(
        std::string_view(item).substr(equals == std::string::npos ? 0 : equals + 1));
    size_t position = 0;
    if (const std::optional<double> number = ReadDecimalNumber(value, position))
        return FormatWriteValue(*number);
    return std::string(value);
}

std::string PlainItem(std::string_view item, const WriteSources& sources) {
    if (EqualsIgnoringCase(item, ":TIMER")) return std::to_string(sources.timerMs);
    if (!item.empty() && item.front() == ':' && sources.fitFigures != nullptr) {
        // The fit's figures; parameter names inside SE(...) keep their case.
        std::string key(item.substr(1));
        const size_t open = key.find('(');
        const std::string head = UpperAscii(key.substr(0, open));
        key = head + (open == std::string::npos ? "" : key.substr(open));
        const auto found = sources.fitFigures->find(key);
        if (found != sources.fitFigures->end()) return FormatWriteValue(found->second);
        if (head == "SSR" || head == "CHI2" || head == "AIC" || head == "BIC" ||
            head == "OBJECTIVE" || head == "EVALUATIONS" || head == "CONVERGED" || head == "SE")
            return std::string(kNotAvailable);
    }
    if (sources.lastCourse != nullptr && item.find('@') != std::string_view::npos)
        if (std::optional<std::string> value = CourseValue(*sources.lastCourse, item))
            return *value;
    return ModelValue(std::string(item), sources);
}

// Reads the item at `position` and moves past it.
std::string ReadItem(std::string_view format, size_t& position, bool& continuation,
                     const WriteSources& sources) {
    while (position < format.size() && IsBlank(format[position]))
        ++position;
    if (position >= format.size()) return {};
    const char first = format[position];
    if (first == ',' || first == ';') {
        continuation = true;
        ++position;
        return first == ',' ? "\t" : "";
    }
    continuation = false;
    if (first == '"') {
        const size_t close = format.find('"', position + 1);
        if (close == std::string_view::npos) {
            position = format.size();
            return {};
        }
        std::string literal(format.substr(position + 1, close - position - 1));
        position = close + 1;
        return literal;
    }
    size_t end = format.find_first_of(",;", position);
    if (end == std::string_view::npos) end = format.size();
    const std::string_view item = TrimSpaceAndControls(format.substr(position, end - position));
    position = end;
    return PlainItem(item, sources);
}

} // namespace

std::string FormatWriteValue(double value) {
    // Messages read like model text in every locale.
    return GeneralNumber(value, 7);
}

std::string FormatWriteOutput(std::string_view format, bool& continuation,
                              const WriteSources& sources) {
    std::string output = continuation ? "" : "\n";
    size_t position = 0;
    while (position < format.size())
        output += ReadItem(format, position, continuation, sources);
    return output;
}

} // namespace kora

#include "fitted_model_text.h"

#include <cctype>

#include "common/ascii_case.h"
#include "common/text_trim.h"
#include "results/number_text.h"

namespace kora {

namespace {

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Script blocks as the model reader separates them.
bool StartsScript(std::string_view trimmed) {
    return UpperAscii(trimmed) == "SCRIPT";
}

bool EndsScript(std::string_view trimmed) {
    const std::string upper = UpperAscii(trimmed);
    return upper == "END SCRIPT" || upper == "ENDSCRIPT";
}

// The span of the value in `line` when it assigns `name`.
bool AssignedSpan(const std::string& line, const std::string& name, size_t& begin, size_t& end) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (line.compare(i, name.size(), name) != 0) return false;
    i += name.size();
    if (i < line.size() && IsNameChar(line[i])) return false;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i >= line.size() || line[i] != '=') return false;
    begin = i + 1;
    end = line.find("//", begin);
    if (end == std::string::npos) end = line.size();
    // A continued statement is left alone: its value goes on in later lines.
    if (TrimBlanks(std::string_view(line).substr(begin, end - begin)).ends_with(">>")) return false;
    return true;
}

} // namespace

std::string FittedValueText(double value) {
    return FormatGeneral(value, 12);
}

bool FindAssignedValue(const TextLines& lines, const std::string& name, size_t& line, size_t& begin,
                       size_t& end) {
    bool inScript = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view trimmed = TrimSpaceAndControls(lines[i]);
        if (inScript) {
            inScript = !EndsScript(trimmed);
            continue;
        }
        if (StartsScript(trimmed)) {
            inScript = true;
            continue;
        }
        if (trimmed.starts_with("//")) continue;
        if (AssignedSpan(lines[i], name, begin, end)) {
            line = i;
            return true;
        }
    }
    return false;
}

TextLines WriteFittedValues(const TextLines& lines, const std::vector<std::string>& names,
                            const std::vector<double>& values) {
    TextLines out = lines;
    for (size_t p = 0; p < names.size() && p < values.size(); ++p) {
        size_t line = 0, begin = 0, end = 0;
        const std::string text = FittedValueText(values[p]);
        if (FindAssignedValue(out, names[p], line, begin, end)) {
            // Keep one blank before a comment that followed the value.
            const bool comment = end < out[line].size();
            out[line].replace(begin, end - begin, " " + text + (comment ? " " : ""));
        } else {
            size_t at = out.size();
            for (size_t i = 0; i < out.size(); ++i)
                if (StartsScript(TrimSpaceAndControls(out[i]))) {
                    at = i;
                    break;
                }
            out.insert(out.begin() + static_cast<long>(at), names[p] + " = " + text);
        }
    }
    return out;
}

} // namespace kora

#include "line_record.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "settings/int_text.h"

namespace kora {

namespace {

std::vector<std::string_view> SplitAtBars(std::string_view text) {
    std::vector<std::string_view> fields;
    for (;;) {
        const size_t bar = text.find('|');
        fields.push_back(text.substr(0, bar));
        if (bar == std::string_view::npos) return fields;
        text.remove_prefix(bar + 1);
    }
}

int32_t StyleOf(std::string_view field) {
    if (field == "dotted") return kDottedLineStyle;
    return ParseInt32(field).value_or(kMinLineStyle);
}

} // namespace

std::string FormatColour(Colour colour) {
    return std::to_string(static_cast<int32_t>(colour));
}

bool ParseColour(std::string_view text, Colour& colour) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const std::from_chars_result read = std::from_chars(text.data(), end, value);
    if (text.empty() || read.ec != std::errc() || read.ptr != end || value < INT32_MIN ||
        value > static_cast<int64_t>(UINT32_MAX))
        return false;
    colour = static_cast<Colour>(static_cast<uint32_t>(value));
    return true;
}

std::string FormatLineRecord(const LineStyle& record, std::string_view name) {
    // The name is only there for people (reading ignores it), but a bar in it
    // would shift the fields after it: a column named "a|b" must not turn
    // into a style and a colour.
    std::string text(name);
    for (char& c : text)
        if (c == '|') c = '_';
    text += '|';
    if (record.visible)
        return text + std::to_string(record.style) + "|" + FormatColour(record.colour);
    return text + "invisible|" + FormatColour(record.colour) + "|" + std::to_string(record.style);
}

void ParseLineRecord(std::string_view text, LineStyle& record) {
    if (text.empty()) return;
    const std::vector<std::string_view> fields = SplitAtBars(text);
    if (fields.size() > 1) {
        record.visible = fields[1] != "invisible";
        if (record.visible) record.style = StyleOf(fields[1]);
    }
    if (fields.size() > 2) ParseColour(fields[2], record.colour);
    if (fields.size() > 3) record.style = StyleOf(fields[3]);
    if (record.style < kMinLineStyle || record.style > kMaxLineStyle) record.style = kMinLineStyle;
}

} // namespace kora

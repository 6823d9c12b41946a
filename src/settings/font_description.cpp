#include "font_description.h"

#include <vector>

#include "int_text.h"

namespace kora {

namespace {

std::vector<std::string> SplitAtBars(const std::string& text) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t bar = text.find('|', start);
        fields.push_back(text.substr(start, bar - start));
        if (bar == std::string::npos) return fields;
        start = bar + 1;
    }
}

void ApplyInt(const std::string& text, int32_t& field) {
    if (std::optional<int32_t> value = ParseInt32(text)) field = *value;
}

} // namespace

std::string SerialiseFont(const FontDescription& font) {
    std::string text = font.name + "|";
    text += std::to_string(font.size) + "|";
    text += std::to_string(static_cast<int32_t>(font.colour)) + "|";
    text += std::to_string(font.charset) + "|";
    text += std::to_string(font.pitch) + "|";
    text += font.bold ? "Bold|" : "NotBold|";
    text += font.italic ? "Italic|" : "NotItalic|";
    text += font.strikeOut ? "StrikeOut|" : "NotStrikeOut|";
    text += font.underline ? "Underline" : "NotUnderline";
    return text;
}

void ApplySerialisedFont(const std::string& text, FontDescription& font) {
    const std::vector<std::string> fields = SplitAtBars(text);
    const size_t count = fields.size();
    if (count > 0) font.name = fields[0];
    if (count > 1) ApplyInt(fields[1], font.size);
    if (count > 2) {
        int32_t colour = static_cast<int32_t>(font.colour);
        ApplyInt(fields[2], colour);
        font.colour = static_cast<Colour>(colour);
    }
    if (count > 3) ApplyInt(fields[3], font.charset);
    if (count > 4) ApplyInt(fields[4], font.pitch);
    if (count > 5) font.bold = fields[5] == "Bold";
    if (count > 6) font.italic = fields[6] == "Italic";
    if (count > 7) font.strikeOut = fields[7] == "StrikeOut";
    if (count > 8) font.underline = fields[8] == "Underline";
}

} // namespace kora

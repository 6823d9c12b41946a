#include "model_place.h"

#include <algorithm>
#include <cctype>

#include "common/text_trim.h"
#include "lexical.h"
#include "messages.h"

namespace kora {
namespace {

// The model line holding `offset` of the joined model text (each line end
// counts 2), and the column within it; false past the end.
bool ModelLineOf(const TextLines& modelLines, int32_t offset, size_t& line, int32_t& column) {
    int32_t start = 0;
    for (size_t i = 0; i < modelLines.size(); ++i) {
        const int32_t end = start + static_cast<int32_t>(modelLines[i].size());
        if (offset <= end) {
            line = i;
            column = offset - start;
            return true;
        }
        start = end + 2;
    }
    return false;
}

// The model text's offset of `statementText`: the model's Locate first, then
// the first model line holding the text (events, keyword lines).
bool OffsetOf(KRMparser& model, const TextLines& modelLines, const std::string& statementText,
              int32_t& offset) {
    std::string located = statementText;
    int32_t length = 0;
    if (model.Locate(modelLines, located, offset, length, false)) return true;
    offset = 0;
    for (const std::string& line : modelLines) {
        const size_t at = line.find(statementText);
        if (!statementText.empty() && at != std::string::npos) {
            offset += static_cast<int32_t>(at);
            return true;
        }
        offset += static_cast<int32_t>(line.size()) + 2;
    }
    return false;
}

// Column `column` (0-based, of the trimmed line) of 1-based file line `line`.
TextPlace PlaceOnFileLine(const TextLines& fileLines, int line, int32_t column) {
    if (line == 0) return {};
    const std::string& text = fileLines[static_cast<size_t>(line - 1)];
    size_t indent = 0;
    while (indent < text.size() && static_cast<unsigned char>(text[indent]) <= ' ')
        ++indent;
    return {line, static_cast<int>(indent) + column + 1};
}

bool Defines(const std::vector<Statement>& list, const std::string& name) {
    return std::any_of(list.begin(), list.end(),
                       [&name](const Statement& s) { return s.name == name; });
}

} // namespace

TextPlace PlaceOfStatement(KRMparser& model, const TextLines& fileLines,
                           const TextLines& modelLines, const std::string& statementText) {
    int32_t offset = 0;
    size_t modelLine = 0;
    int32_t column = 0;
    if (!OffsetOf(model, modelLines, statementText, offset) ||
        !ModelLineOf(modelLines, offset, modelLine, column))
        return {};
    return PlaceOnFileLine(fileLines, FileLineOf(fileLines, modelLines, modelLine), column);
}

TextPlace PlaceOfOffset(const TextLines& fileLines, const TextLines& modelLines, int32_t offset) {
    size_t modelLine = 0;
    int32_t column = 0;
    if (!ModelLineOf(modelLines, offset, modelLine, column)) return {};
    // A script's assignments replace statements, or add lines at the end: an
    // unchanged line is found by its text, a changed one by its position.
    const TextLines original = ExtractModelLines(fileLines, true).modelLines;
    const std::string& text = modelLines[modelLine];
    size_t index = modelLine;
    if (std::count(original.begin(), original.end(), text) == 1)
        index = static_cast<size_t>(std::find(original.begin(), original.end(), text) -
                                    original.begin());
    if (index >= original.size()) return {};
    return PlaceOnFileLine(fileLines, FileLineOf(fileLines, original, index), column);
}

int FileLineOf(const TextLines& fileLines, const TextLines& modelLines, size_t modelIndex) {
    size_t next = 0;
    for (size_t i = 0; i < fileLines.size() && next < modelLines.size(); ++i) {
        if (TrimSpaceAndControls(fileLines[i]) != modelLines[next]) continue;
        if (next++ == modelIndex) return static_cast<int>(i) + 1;
    }
    return 0;
}

std::string UnknownNameIn(const KRMparser& model, const std::string& statementText) {
    const size_t equals = statementText.find('=');
    if (equals == std::string::npos) return {};
    const std::string_view text(statementText);
    int32_t position = static_cast<int32_t>(equals) + 1;
    const int32_t size = static_cast<int32_t>(text.size());
    // Blanks are passed once here: the readers below would skip them again
    // after every failed read, which is quadratic in a run of blanks.
    while ((position = SkipBlanks(text, position)) < size) {
        std::string name;
        double number = 0.0;
        const unsigned char c = static_cast<unsigned char>(text[static_cast<size_t>(position)]);
        if ((std::isdigit(c) || c == '.') && ReadNumber(text, position, number)) continue;
        if (!ReadName(text, position, name)) {
            ++position;
            continue;
        }
        int32_t after = position;
        if (Expect(text, after, "[")) continue; // a function
        const auto& predefined = model.predefinedNames;
        if (std::find(predefined.begin(), predefined.end(), name) != predefined.end()) continue;
        if (!Defines(model.equations, name) && !Defines(model.assignments, name)) return name;
    }
    return {};
}

std::string PlacePrefix(const std::string& fileName, const TextPlace& place) {
    if (place.line == 0) return fileName + ": ";
    if (place.column == 0) return fileName + ":" + std::to_string(place.line) + ": ";
    return fileName + ":" + std::to_string(place.line) + ":" + std::to_string(place.column) + ": ";
}

namespace {

constexpr int kUnexpectedExpression = 2;

std::string UnknownNameOf(const KRMparser& model, const ErrorDisplay& error) {
    return error.code == kUnexpectedExpression ? UnknownNameIn(model, error.context)
                                               : std::string();
}

} // namespace

int ColumnOfName(const std::string& line, const std::string& name, int fallback) {
    const auto isNameChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
    };
    size_t at = line.find('=');
    while (at != std::string::npos && (at = line.find(name, at + 1)) != std::string::npos) {
        const size_t end = at + name.size();
        if (!isNameChar(line[at - 1]) && (end == line.size() || !isNameChar(line[end])))
            return static_cast<int>(at) + 1;
    }
    return fallback;
}

std::string ModelErrorMessage(const KRMparser& model, const ErrorDisplay& error) {
    std::string message = std::string(ModelMessage(error.code)) + error.context;
    const std::string unknown = UnknownNameOf(model, error);
    if (!unknown.empty()) message += " (unknown name '" + unknown + "')";
    return message;
}

TextPlace PlaceOfModelError(const KRMparser& model, const ErrorDisplay& error,
                            const TextLines& fileLines, const TextLines& modelLines,
                            int32_t offset) {
    TextPlace place = PlaceOfOffset(fileLines, modelLines, offset);
    const std::string unknown = UnknownNameOf(model, error);
    if (!unknown.empty() && place.line > 0)
        place.column =
            ColumnOfName(fileLines[static_cast<size_t>(place.line - 1)], unknown, place.column);
    return place;
}

LocatedModelError LocateModelError(KRMparser& model, const ErrorDisplay& sink,
                                   const TextLines& fileLines, const TextLines& modelLines) {
    const ErrorDisplay error = sink;
    LocatedModelError located;
    located.message = ModelErrorMessage(model, error);
    located.detail = error.detail;
    const std::string unknown = UnknownNameOf(model, error);
    located.place = PlaceOfStatement(model, fileLines, modelLines, error.context);
    if (!unknown.empty() && located.place.line > 0)
        located.place.column = ColumnOfName(fileLines[static_cast<size_t>(located.place.line - 1)],
                                            unknown, located.place.column);
    return located;
}

} // namespace kora

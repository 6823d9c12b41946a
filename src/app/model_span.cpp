#include "model_span.h"

#include <algorithm>

namespace kora::app {
namespace {

constexpr int32_t kLineEndLength = 2;

struct ModelPosition {
    size_t line = 0;
    int32_t column = 0;
};

// The model line holding `offset`; a position on a line end counts as the
// end of that line.
std::optional<ModelPosition> FindModelPosition(const TextLines& modelLines, int32_t offset) {
    int32_t lineStart = 0;
    for (size_t k = 0; k < modelLines.size(); ++k) {
        const int32_t length = static_cast<int32_t>(modelLines[k].size());
        if (offset < lineStart + length + kLineEndLength)
            return ModelPosition{k, std::min(offset - lineStart, length)};
        lineStart += length + kLineEndLength;
    }
    return std::nullopt;
}

// The editor line that became model line `k`: the first whose prefix yields
// more than k model lines. Asking the extraction itself keeps its rules
// (trimming, comments, script blocks) in one place.
size_t SourceLine(const TextLines& editorLines, size_t k, bool dropScript) {
    size_t low = 0;
    size_t high = editorLines.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const TextLines prefix(editorLines.begin(), editorLines.begin() + middle + 1);
        if (ExtractModelLines(prefix, dropScript).modelLines.size() > k)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

EditorPosition ToEditor(const TextLines& editorLines, const TextLines& modelLines,
                        const ModelPosition& position, bool dropScript) {
    const size_t line = SourceLine(editorLines, position.line, dropScript);
    const std::string& raw = editorLines[std::min(line, editorLines.size() - 1)];
    const size_t indent = raw.find(modelLines[position.line]);
    const int32_t lead = indent == std::string::npos ? 0 : static_cast<int32_t>(indent);
    return {static_cast<int32_t>(line), lead + position.column};
}

} // namespace

std::optional<EditorSpan> EditorSpanOfModelSpan(const TextLines& editorLines, int32_t offset,
                                                int32_t length, bool dropScript) {
    if (offset < 0 || length < 0 || editorLines.empty()) return std::nullopt;
    const TextLines modelLines = ExtractModelLines(editorLines, dropScript).modelLines;
    const std::optional<ModelPosition> first = FindModelPosition(modelLines, offset);
    if (!first) return std::nullopt;
    // A span ending with its line end stops at the end of the line's text.
    const int32_t last = std::max(offset, offset + length - 1);
    ModelPosition end =
        FindModelPosition(modelLines, last)
            .value_or(ModelPosition{modelLines.size() - 1,
                                    static_cast<int32_t>(modelLines.back().size())});
    end.column = std::min(end.column + (length > 0 ? 1 : 0),
                          static_cast<int32_t>(modelLines[end.line].size()));
    return EditorSpan{ToEditor(editorLines, modelLines, *first, dropScript),
                      ToEditor(editorLines, modelLines, end, dropScript)};
}

} // namespace kora::app

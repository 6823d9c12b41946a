// Where a span of the model lines (the trimmed lines without comments that
// the model reader sees, each counted with a two-character line end) lies in
// the editor's own lines, so that the editor can select a statement.
#pragma once

#include <cstdint>
#include <optional>

#include "model/model_text.h"

namespace kora::app {

struct EditorPosition {
    int32_t line = 0;
    int32_t column = 0; // in bytes of the line's text
};

struct EditorSpan {
    EditorPosition begin;
    EditorPosition end; // one past the last character
};

// Nothing when `offset` lies beyond the model lines. `dropScript` must be
// what the model lines were extracted with.
std::optional<EditorSpan> EditorSpanOfModelSpan(const TextLines& editorLines, int32_t offset,
                                                int32_t length, bool dropScript = true);

} // namespace kora::app

// A built model brought up to date for new lines without building it again,
// when the lines differ only in plain numbers assigned to constants or to
// initial values (what a script's assignments and SETTING loops change from
// one solve to the next): the values change, the compiled code stays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "krm_parser.h"

namespace kora {

// A line "name = number" (a sign, blanks and a comment allowed) as the
// statement reader and the compiler read it.
struct ValueLine {
    std::string name;
    std::string text;  // the line without its comment: the statement's text
    int32_t start = 0; // where the right side starts
    double value = 0.0;
};

// True when line `i` of `lines` is such a line on its own (not continued
// from the line before nor onto the next) and its number is a value the
// compiler accepts.
bool ReadValueLine(const KRMparser& model, const TextLines& lines, size_t i, ValueLine& line);

// A line that differs between two versions of the model lines, a value line
// of the same name in both.
struct ValueLineChange {
    size_t line = 0;
    int32_t offset = 0; // where the line starts in the model text
    int32_t delta = 0;  // how much longer it is now
    ValueLine before;
    ValueLine after;
};

// The lines that differ between `built` and `next`, the last one first, so
// that moving the offsets after each keeps those of the lines above valid.
// False when the lines differ in number or in anything but such lines.
bool ValueLineChanges(const KRMparser& model, const TextLines& built, const TextLines& next,
                      std::vector<ValueLineChange>& changes);

// A line `delta` longer moves every statement that starts after it.
template <typename Placed>
void ShiftOffsetsAfter(std::vector<Placed>& list, int32_t lineOffset, int32_t delta) {
    for (Placed& placed : list)
        if (placed.offset > lineOffset) placed.offset += delta;
}

// Turns `model`, built without error from `built`, into the model a build
// from `next` gives, with the sink cleared as a build clears it. False when
// that cannot be done for certain: other lines changed, a value feeds
// another constant or initial value, a predefined name, events, random
// draws, or a definition or equation that cannot be computed at the start
// with the new values (a build reports that). The model is then left half
// patched and must be built afresh.
bool PatchValues(KRMparser& model, const TextLines& built, const TextLines& next);

} // namespace kora

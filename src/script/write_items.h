// The text one WRITE command adds to the messages window: tabs, literals,
// the script timer, values of the last time course and of the model text.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace kora {

class TimeCourse;

struct WriteSources {
    int64_t timerMs = 0;                    // since the script timer started
    const TimeCourse* lastCourse = nullptr; // null while the document has no results
    // Finds the declaration an item names ("k=") in the model text and
    // replaces the argument by the declaration's text; false when none.
    std::function<bool(std::string&)> locateDeclaration;
    // Figures of the last FIT (":SSR", ":SE(k)"), by upper-case name; may be null.
    const std::map<std::string, double>* fitFigures = nullptr;
};

// The output of one write of `format`. It starts a new line unless
// `continuation` was set by a previous write ending in "," or ";", and leaves
// `continuation` as its last item does.
std::string FormatWriteOutput(std::string_view format, bool& continuation,
                              const WriteSources& sources);

// Values written by scripts: general format with 7 significant digits.
std::string FormatWriteValue(double value);

} // namespace kora

// Which SETTING loops of a prepared script may run their passes on several
// threads. A pass may only solve, write and store: everything it leaves for
// the next pass must follow from the script alone, never from a result or
// from another document.
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "script_prepare.h"

namespace kora {

// Why the loop whose SETTING command is at `setting` must run serially;
// empty when its passes may run in parallel.
std::string SerialLoopReason(const PreparedScript& prepared, size_t setting);

// The outermost loop around `command` that may run in parallel and is not
// in `serial`: the index of its SETTING command.
std::optional<size_t> ParallelLoopAround(const PreparedScript& prepared, size_t command,
                                         const std::set<size_t>& serial = {});

struct SerialLoopNote {
    int sourceLine = 0; // of the SETTING command, in the script lines
    std::string reason;
};

// Every loop that must run serially, in script order.
std::vector<SerialLoopNote> SerialLoops(const PreparedScript& prepared);

} // namespace kora

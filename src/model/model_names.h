// The names a model text defines as it stands, read without building it,
// for an editor that colours them while the user writes.
#pragma once

#include <string>
#include <vector>

#include "model_text.h"

namespace kora {

struct ModelNames {
    std::vector<std::string> variables; // dependent variables, in model order
    std::vector<std::string> constants; // other assigned names, in text order
    std::string title;                  // the NAME line's text; "" when none
};

// The names of `fileLines` (the whole text; script blocks are left out). A
// text with errors still gives the names of the statements read.
ModelNames ReadModelNames(const TextLines& fileLines);

} // namespace kora

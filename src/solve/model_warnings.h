// Warnings about a model that builds: text it says but the model does not
// mean. Both front ends show these same texts; none stops a run.
#pragma once

#include <string>
#include <vector>

#include "model/model_place.h"
#include "model/model_text.h"
#include "settings/settings.h"

namespace kora {

// One warning per line that is not a statement (and so is ignored), per
// "!!" or "&&" name the model does not define or lists twice, per name of
// `setNames` (assignments given from outside) the model does not have, and
// per SETTING command of the script that yields no value. `fileLines` is
// the whole text, script blocks included.
std::vector<ModelWarning> CollectModelWarnings(const TextLines& fileLines, const Settings& settings,
                                               const std::vector<std::string>& setNames = {});

} // namespace kora

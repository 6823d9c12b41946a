// The settings a document hands its model, for `kora-batch run`.
#pragma once

#include "model/krm_parser.h"
#include "settings/settings.h"

namespace kora::cli {

// The predefined names and the default number of report points come from the
// settings, as a document gives them to its model.
void ApplyModelSettings(KRMparser& model, const Settings& settings);

} // namespace kora::cli

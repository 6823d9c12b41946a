// What a document hands its model from the settings.
#pragma once

#include "model/krm_parser.h"
#include "settings/settings.h"

namespace kora {

// The predefined names (initial time, final time, report interval, number of
// points, time variable) and the default number of report points.
void ApplyModelSettings(KRMparser& model, const Settings& settings);

} // namespace kora

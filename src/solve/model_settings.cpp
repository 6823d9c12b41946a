#include "model_settings.h"

namespace kora {

void ApplyModelSettings(KRMparser& model, const Settings& settings) {
    model.predefinedNames[KRMparser::kInitialTime] = settings.initialTimeName;
    model.predefinedNames[KRMparser::kFinalTime] = settings.finalTimeName;
    model.predefinedNames[KRMparser::kReportInterval] = settings.reportIntervalName;
    model.predefinedNames[KRMparser::kPoints] = settings.nPointsName;
    model.predefinedNames[KRMparser::kTimeVariable] = settings.timeVariableName;
    model.defaultPoints = settings.defaultRepPoints;
}

} // namespace kora

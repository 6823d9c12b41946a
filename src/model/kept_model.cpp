#include "kept_model.h"

#include "model_patch.h"

namespace kora {
namespace {

void CopyValues(const std::vector<Statement>& list, std::vector<double>& values) {
    values.resize(list.size());
    for (size_t i = 0; i < list.size(); ++i)
        values[i] = list[i].value;
}

bool SetValues(std::vector<Statement>& list, const std::vector<double>& values) {
    if (list.size() != values.size()) return false;
    for (size_t i = 0; i < list.size(); ++i)
        list[i].value = values[i];
    return true;
}

} // namespace

void KeptModel::Remember(const KRMparser& model) {
    remembered_ = true;
    CopyValues(model.equations, equationValues_);
    CopyValues(model.constants, constantValues_);
    CopyValues(model.definitions, definitionValues_);
    random_ = model.random;
    triggerSwitches_ = model.triggerSwitches;
    nIndependent_ = model.nIndependent;
    nParameters_ = model.nParameters;
    stackDepth_ = model.stackDepth;
    nPoints_ = model.nPoints;
    t0_ = model.t0;
    tf_ = model.tf;
    hr_ = model.hr;
    backward_ = model.backward;
    title_ = model.title;
    keywords_ = model.keywords;
    predefinedNames_ = model.predefinedNames;
    defaultPoints_ = model.defaultPoints;
}

void KeptModel::Hold(KRMparser& model) {
    held_ = remembered_;
    remembered_ = false;
    if (held_) {
        lists_.equations = std::move(model.equations);
        lists_.constants = std::move(model.constants);
        lists_.definitions = std::move(model.definitions);
        lists_.events = std::move(model.events);
        lists_.keywordLines = std::move(model.keywordLines);
        lists_.eventLines = std::move(model.eventLines);
        lists_.stateEvents = std::move(model.stateEvents);
        lists_.switchingFunctions = std::move(model.switchingFunctions);
        lists_.assignments = std::move(model.assignments);
        lists_.nameIndexes = std::move(model.nameIndexes);
    }
    model.Clear();
}

bool KeptModel::SameSettings(const KRMparser& model) const {
    return model.keywords == keywords_ && model.predefinedNames == predefinedNames_ &&
           model.defaultPoints == defaultPoints_;
}

// Everything a build sets, as the build left it.
void KeptModel::PutBack(KRMparser& model) {
    model.equations = std::move(lists_.equations);
    model.constants = std::move(lists_.constants);
    model.definitions = std::move(lists_.definitions);
    model.events = std::move(lists_.events);
    model.keywordLines = std::move(lists_.keywordLines);
    model.eventLines = std::move(lists_.eventLines);
    model.stateEvents = std::move(lists_.stateEvents);
    model.switchingFunctions = std::move(lists_.switchingFunctions);
    model.assignments = std::move(lists_.assignments);
    model.nameIndexes = std::move(lists_.nameIndexes);
    model.random = random_;
    model.triggerSwitches = triggerSwitches_;
    model.nIndependent = nIndependent_;
    model.nParameters = nParameters_;
    model.stackDepth = stackDepth_;
    model.nPoints = nPoints_;
    model.t0 = t0_;
    model.tf = tf_;
    model.hr = hr_;
    model.tCurrent = t0_;
    model.backward = backward_;
    model.eventIndex = 0;
    model.title = title_;
}

bool KeptModel::TakeBack(KRMparser& model, const TextLines& built, const TextLines& next) {
    if (!held_) return false;
    held_ = false;
    if (!SameSettings(model)) return false;
    PutBack(model);
    if (SetValues(model.equations, equationValues_) &&
        SetValues(model.constants, constantValues_) &&
        SetValues(model.definitions, definitionValues_) && PatchValues(model, built, next))
        return true;
    model.Clear();
    return false;
}

} // namespace kora

#include "kept_model.h"

#include <utility>

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

// The lists a build fills, exchanged between two models.
void SwapLists(KRMparser& a, KRMparser& b) {
    std::swap(a.equations, b.equations);
    std::swap(a.constants, b.constants);
    std::swap(a.definitions, b.definitions);
    std::swap(a.events, b.events);
    std::swap(a.keywordLines, b.keywordLines);
    std::swap(a.eventLines, b.eventLines);
    std::swap(a.stateEvents, b.stateEvents);
    std::swap(a.switchingFunctions, b.switchingFunctions);
    std::swap(a.assignments, b.assignments);
    std::swap(a.nameIndexes, b.nameIndexes);
    std::swap(a.fusedSystem, b.fusedSystem);
}

// What a build sets besides its lists.
void CopyBuiltFields(const KRMparser& from, KRMparser& to) {
    to.random = from.random;
    to.triggerSwitches = from.triggerSwitches;
    to.nIndependent = from.nIndependent;
    to.nParameters = from.nParameters;
    to.stackDepth = from.stackDepth;
    to.nPoints = from.nPoints;
    to.t0 = from.t0;
    to.tf = from.tf;
    to.hr = from.hr;
    to.backward = from.backward;
    to.title = from.title;
}

} // namespace

void KeptModel::Remember(const KRMparser& model) {
    remembered_ = true;
    CopyValues(model.equations, equationValues_);
    CopyValues(model.constants, constantValues_);
    CopyValues(model.definitions, definitionValues_);
    CopyBuiltFields(model, kept_);
    kept_.keywords = model.keywords;
    kept_.predefinedNames = model.predefinedNames;
    kept_.defaultPoints = model.defaultPoints;
}

void KeptModel::Hold(KRMparser& model) {
    held_ = remembered_;
    remembered_ = false;
    if (held_) SwapLists(model, kept_);
    model.Clear();
}

bool KeptModel::SameSettings(const KRMparser& model) const {
    return model.keywords == kept_.keywords && model.predefinedNames == kept_.predefinedNames &&
           model.defaultPoints == kept_.defaultPoints;
}

// Everything a build sets, as the build left it.
void KeptModel::PutBack(KRMparser& model) {
    SwapLists(model, kept_);
    CopyBuiltFields(kept_, model);
    model.tCurrent = kept_.t0;
    model.eventIndex = 0;
    kept_.Clear(); // what the model held meanwhile
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

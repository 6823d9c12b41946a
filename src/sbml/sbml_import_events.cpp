#ifdef KORA_WITH_SBML
#include <cmath>
#include <cstdlib>

#include "sbml_importer.h"

namespace kora::sbml {
namespace {

// Export marks the events it writes for timed assignments, so that they
// come back as timed assignments (whose report rows restart at their time).
bool WrittenForTimedAssignment(const Event& event) {
    const XMLNode* annotation = const_cast<Event&>(event).getAnnotation();
    for (unsigned i = 0; annotation && i < annotation->getNumChildren(); ++i)
        if (annotation->getChild(i).getName() == kTimedAssignmentElement &&
            annotation->getChild(i).getURI() == kTimeSettingsUri)
            return true;
    return false;
}

} // namespace

// The limit T of a trigger "time >= T" with T constant.
bool ModelImporter::TriggerTime(const Event& event, const std::string& element, std::string& time) {
    const ASTNode* math = event.isSetTrigger() ? event.getTrigger()->getMath() : nullptr;
    if (math == nullptr || math->getNumChildren() != 2 || math->getType() != AST_RELATIONAL_GEQ ||
        math->getChild(0)->getType() != AST_NAME_TIME)
        return false;
    std::set<std::string> uses;
    if (!Text(math->getChild(1), element, time, uses) || !OnlyConstants(uses)) return false;
    if (!UsableModelName(time) && time.find_first_not_of("0123456789.e+-") != std::string::npos) {
        const std::string name = names_.Claim(element + "_time", "-");
        AddConstant({name, time, uses});
        time = name;
    }
    return true;
}

// The trigger as a condition; one without a comparison (a number, a
// logical constant) holds where it is not zero.
bool ModelImporter::Condition(const Event& event, const std::string& element,
                              std::string& condition) {
    const ASTNode* math = event.isSetTrigger() ? event.getTrigger()->getMath() : nullptr;
    if (math == nullptr) {
        Refuse(element, "no trigger");
        return false;
    }
    std::set<std::string> uses;
    if (!Text(math, element, condition, uses)) return false;
    // Function definitions may hold the comparison: look at the text.
    if (condition.find_first_of("<>=") == std::string::npos) {
        Refuse(element, "a trigger without a comparison cannot be expressed");
        return false;
    }
    return true;
}

// The options of a condition's event, in the model language's words.
bool ModelImporter::EventOptions(const Event& event, const std::string& element,
                                 std::string& options) {
    std::set<std::string> uses;
    std::string text;
    if (event.isSetDelay()) {
        if (!Text(event.getDelay()->getMath(), element, text, uses)) return false;
        options += "; delay = " + text;
    }
    if (event.isSetPriority()) {
        if (!Text(event.getPriority()->getMath(), element, text, uses)) return false;
        options += "; priority = " + text;
    }
    if (event.isSetTrigger() && event.getLevel() >= 3) {
        if (!event.getTrigger()->getPersistent()) options += "; persistent = no";
        if (!event.getTrigger()->getInitialValue()) options += "; initial = false";
    }
    if (event.isSetUseValuesFromTriggerTime() && !event.getUseValuesFromTriggerTime())
        options += "; values = fire";
    return true;
}

// The assignments "name = value, ..."; a species held as an amount is set
// from the concentration assigned.
bool ModelImporter::EventAssignments(const Event& event, const std::string& element,
                                     std::vector<Line>& out) {
    bool converted = true;
    for (unsigned k = 0; k < event.getNumEventAssignments(); ++k) {
        const EventAssignment* a = event.getEventAssignment(k);
        const std::string& id = a->getVariable();
        const Role role = roles_.count(id) ? roles_[id] : Role::ReactionRate;
        Line line{names_.Find(id), {}, {}};
        if (!Text(a->getMath(), element, line.text, line.uses)) {
            converted = false;
            continue;
        }
        if (auto s = species_.find(id); s != species_.end() &&
                                        !s->second->getHasOnlySubstanceUnits() &&
                                        event.getEventAssignment(s->second->getCompartment())) {
            // Which size the concentration refers to is not settled here.
            Refuse(element, "sets both '" + id + "' and the size of its compartment");
            converted = false;
            continue;
        }
        if (auto amount = amounts_.find(id); amount != amounts_.end()) {
            const std::string size = names_.Find(species_[id]->getCompartment());
            line = {amount->second, SumBracketed(line.text) + "*" + size, line.uses};
            line.uses.insert(size);
        } else if (role == Role::Definition || role == Role::ReactionRate) {
            Refuse(element, "cannot assign '" + id + "'");
            converted = false;
            continue;
        }
        out.push_back(line);
    }
    return converted;
}

void ModelImporter::Events() {
    for (unsigned i = 0; i < model_.getNumEvents(); ++i) {
        const Event* event = model_.getEvent(i);
        const std::string label = event->isSetId() ? event->getId() : std::to_string(i + 1);
        const std::string element = "event '" + label + "'";
        std::vector<Line> assignments;
        std::string time;
        if (WrittenForTimedAssignment(*event) && TriggerTime(*event, label, time)) {
            if (!EventAssignments(*event, element, assignments)) continue;
            for (const Line& a : assignments) {
                events_.push_back({"", "@ " + time + " " + a.name + " = " + a.text, {}});
                eventTargetNames_.push_back(a.name);
            }
            continue;
        }
        std::string condition, options;
        if (!Condition(*event, element, condition) || !EventOptions(*event, element, options) ||
            !EventAssignments(*event, element, assignments) || assignments.empty())
            continue;
        if (event->isSetPriority() && !OrderSettled(*event, label, element)) continue;
        std::string text = "@ [" + condition + options + "] ";
        for (size_t k = 0; k < assignments.size(); ++k) {
            text += (k == 0 ? "" : ", ") + assignments[k].name + " = " + assignments[k].text;
            eventTargetNames_.push_back(assignments[k].name);
        }
        events_.push_back({"", text, {}});
    }
}

} // namespace kora::sbml
#endif

#ifdef KORA_WITH_SBML
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "sbml_importer.h"

namespace kora::sbml {

// The limit T of a trigger "time >= T" (or "time > T") with T constant;
// `inclusive` tells ">=" from ">".
bool ModelImporter::TriggerTime(const Event& event, const std::string& element, std::string& time,
                                bool& inclusive) {
    const ASTNode* math = event.isSetTrigger() ? event.getTrigger()->getMath() : nullptr;
    if (math == nullptr || math->getNumChildren() != 2) return false;
    const ASTNodeType_t type = math->getType();
    const ASTNode* left = math->getChild(0);
    const ASTNode* right = math->getChild(1);
    const ASTNode* limit = nullptr;
    if ((type == AST_RELATIONAL_GEQ || type == AST_RELATIONAL_GT) &&
        left->getType() == AST_NAME_TIME)
        limit = right;
    if ((type == AST_RELATIONAL_LEQ || type == AST_RELATIONAL_LT) &&
        right->getType() == AST_NAME_TIME)
        limit = left;
    inclusive = type == AST_RELATIONAL_GEQ || type == AST_RELATIONAL_LEQ;
    std::set<std::string> uses;
    if (limit == nullptr || !Text(limit, element, time, uses) || !OnlyConstants(uses)) return false;
    if (!UsableModelName(time) && time.find_first_not_of("0123456789.e+-") != std::string::npos) {
        const std::string name = names_.Claim(element + "_time", "-");
        AddConstant({name, time, uses});
        time = name;
    }
    return true;
}

// A constant priority orders events that happen at the same time; the
// higher one is applied first.
bool ModelImporter::Priority(const Event& event, const std::string& element, double& priority) {
    priority = -HUGE_VAL;
    if (!event.isSetPriority() || event.getPriority()->getMath() == nullptr) return true;
    const ASTNode* math = event.getPriority()->getMath();
    bool negative = false;
    if (math->getType() == AST_MINUS && math->getNumChildren() == 1) {
        negative = true;
        math = math->getChild(0);
    }
    if (!math->isNumber()) {
        Refuse(element, "a priority that is not a number cannot be expressed");
        return false;
    }
    priority = negative ? -math->getValue() : math->getValue();
    return true;
}

// True when a trigger "time >= T" holds at the start and fires there.
bool ModelImporter::FiresAtStart(const Event& event, const std::string& time,
                                 bool inclusive) const {
    char* end = nullptr;
    const double at = std::strtod(time.c_str(), &end);
    if (end == time.c_str() || *end != '\0') return false;
    // Level 2 triggers behave as if they were true before the start.
    const bool initial =
        event.getLevel() < 3 || !event.isSetTrigger() || event.getTrigger()->getInitialValue();
    return !initial && (inclusive ? at <= startTime_ : at < startTime_);
}

void ModelImporter::Events() {
    std::vector<TimedEvent> timed;
    for (unsigned i = 0; i < model_.getNumEvents(); ++i) {
        const Event* event = model_.getEvent(i);
        const std::string label = event->isSetId() ? event->getId() : std::to_string(i + 1);
        const std::string element = "event '" + label + "'";
        std::string time;
        bool inclusive = true;
        if (event->isSetDelay()) {
            Refuse(element, "a delay cannot be expressed");
            continue;
        }
        if (!TriggerTime(*event, label, time, inclusive)) {
            Refuse(element, "only a trigger time >= T with T constant can be expressed");
            continue;
        }
        TimedEvent converted{0, time, {}};
        if (!Priority(*event, element, converted.priority)) continue;
        for (unsigned k = 0; k < event->getNumEventAssignments(); ++k) {
            const EventAssignment* a = event->getEventAssignment(k);
            const Role role =
                roles_.count(a->getVariable()) ? roles_[a->getVariable()] : Role::ReactionRate;
            Line line{names_.Find(a->getVariable()), {}, {}};
            if (!Text(a->getMath(), element, line.text, line.uses)) continue;
            if (role == Role::Definition || role == Role::ReactionRate)
                Refuse(element, "cannot assign '" + a->getVariable() + "'");
            else if (!OnlyConstants(line.uses))
                Refuse(element, "the value assigned to '" + a->getVariable() + "' is not constant");
            else
                converted.assignments.push_back(line);
        }
        if (FiresAtStart(*event, time, inclusive))
            StartValues(converted.assignments, element);
        else
            timed.push_back(converted);
    }
    std::stable_sort(timed.begin(), timed.end(), [](const TimedEvent& a, const TimedEvent& b) {
        return a.priority > b.priority;
    });
    RefuseOrderDependence(timed);
    for (const TimedEvent& event : timed)
        for (const Line& a : event.assignments)
            events_.push_back({a.name, "@ " + event.time + " " + a.name + " = " + a.text, {}});
}

// An event that fires at the start sets the starting values.
void ModelImporter::StartValues(const std::vector<Line>& assignments, const std::string& element) {
    for (const Line& a : assignments) {
        if (a.uses.count(a.name)) {
            Refuse(element, "an event at the start that reads '" + a.name + "'");
            continue;
        }
        for (auto* list : {&constants_, &initialValues_})
            for (Line& line : *list)
                if (line.name == a.name) line = a;
    }
}

// Assignments at one time are applied one after another, each reading
// the values left by those before; SBML computes them all first.
void ModelImporter::RefuseOrderDependence(const std::vector<TimedEvent>& timed) {
    std::map<std::string, std::set<std::string>> assignedAt;
    for (const TimedEvent& event : timed)
        for (const Line& a : event.assignments)
            assignedAt[event.time].insert(a.name);
    for (const TimedEvent& event : timed)
        for (const Line& a : event.assignments)
            for (const std::string& use : a.uses)
                if (assignedAt[event.time].count(use))
                    Refuse("assignment to '" + a.name + "' at time " + event.time,
                           "reads '" + use + "', which is assigned at the same time");
}

} // namespace kora::sbml
#endif

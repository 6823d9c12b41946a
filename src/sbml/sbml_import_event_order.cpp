#ifdef KORA_WITH_SBML
#include <cmath>
#include <memory>

#include <sbml/SBMLTransforms.h>

#include "sbml_importer.h"

namespace kora::sbml {
namespace {

void Ids(const ASTNode* node, std::set<std::string>& out) {
    if (node == nullptr) return;
    if (node->getType() == AST_NAME && node->getName() != nullptr) out.insert(node->getName());
    for (unsigned i = 0; i < node->getNumChildren(); ++i)
        Ids(node->getChild(i), out);
}

// Time, delay and rateOf change in time whatever they read.
bool ReadsTime(const ASTNode* node) {
    const ASTNodeType_t type = node->getType();
    if (type == AST_NAME_TIME || type == AST_FUNCTION_DELAY || type == AST_FUNCTION_RATE_OF)
        return true;
    for (unsigned i = 0; i < node->getNumChildren(); ++i)
        if (ReadsTime(node->getChild(i))) return true;
    return false;
}

bool Meets(const std::set<std::string>& a, const std::set<std::string>& b) {
    for (const std::string& id : a)
        if (b.count(id)) return true;
    return false;
}

} // namespace

// Every id whose value `math` depends on at one instant: through assignment
// rules, reaction rates, the compartment of a species (its concentration
// follows the size) and, for rateOf, what the rate reads.
void ModelImporter::ReadIds(const ASTNode* math, std::set<std::string>& out) const {
    std::set<std::string> direct;
    Ids(math, direct);
    std::vector<std::string> open(direct.begin(), direct.end());
    while (!open.empty()) {
        const std::string id = open.back();
        open.pop_back();
        if (!out.insert(id).second) continue;
        std::set<std::string> more;
        if (auto rule = rules_.find(id); rule != rules_.end()) Ids(rule->second->getMath(), more);
        if (auto rule = algebraicTargets_.find(id); rule != algebraicTargets_.end())
            Ids(rule->second->getMath(), more);
        if (auto r = reactions_.find(id); r != reactions_.end() && r->second->isSetKineticLaw())
            Ids(r->second->getKineticLaw()->getMath(), more);
        if (auto s = species_.find(id); s != species_.end()) {
            more.insert(s->second->getCompartment());
            // A rateOf of the species reads the reactions changing it.
            for (const auto& [reaction, r] : reactions_)
                if (r->getReactant(id) != nullptr || r->getProduct(id) != nullptr)
                    more.insert(reaction);
        }
        open.insert(open.end(), more.begin(), more.end());
    }
}

// The value of a parameter that never changes, set by its value or by an
// initial assignment reading only such parameters; false for any other.
bool ModelImporter::FixedValue(const std::string& id, std::map<std::string, double>& values,
                               int depth) const {
    if (values.count(id)) return true;
    auto p = parameters_.find(id);
    if (depth > 100 || p == parameters_.end() || !p->second->getConstant() ||
        eventTargets_.count(id) || rules_.count(id) || algebraicTargets_.count(id))
        return false;
    auto assigned = initialAssignments_.find(id);
    if (assigned == initialAssignments_.end()) {
        if (!p->second->isSetValue()) return false;
        values[id] = p->second->getValue();
        return true;
    }
    std::unique_ptr<ASTNode> math(Inlined(assigned->second));
    const double value = FixedMath(math.get(), values, depth + 1);
    if (!std::isfinite(value)) return false;
    values[id] = value;
    return true;
}

// `math`'s value when it reads only parameters that never change, else NaN.
double ModelImporter::FixedMath(const ASTNode* math, std::map<std::string, double>& values,
                                int depth) const {
    if (math == nullptr || ReadsTime(math)) return NAN;
    std::set<std::string> read;
    Ids(math, read);
    for (const std::string& id : read)
        if (!FixedValue(id, values, depth)) return NAN;
    return SBMLTransforms::evaluateASTNode(math, values, &model_);
}

// The priority's value when nothing in it can change, else "changing".
std::string ModelImporter::PriorityKey(const Event& event) const {
    std::unique_ptr<ASTNode> math(event.getPriority()->getMath() == nullptr
                                      ? nullptr
                                      : Inlined(event.getPriority()->getMath()));
    std::map<std::string, double> values;
    const double value = FixedMath(math.get(), values, 0);
    return std::isfinite(value) ? NumberText(value) : "changing";
}

// What an event reads (trigger, delay, priority, assigned values) and sets.
ModelImporter::EventFootprint ModelImporter::Footprint(const Event& event) const {
    EventFootprint footprint;
    if (event.isSetTrigger()) ReadIds(event.getTrigger()->getMath(), footprint.reads);
    if (event.isSetDelay()) ReadIds(event.getDelay()->getMath(), footprint.reads);
    if (event.isSetPriority()) ReadIds(event.getPriority()->getMath(), footprint.reads);
    for (unsigned k = 0; k < event.getNumEventAssignments(); ++k) {
        const EventAssignment* a = event.getEventAssignment(k);
        footprint.sets.insert(a->getVariable());
        ReadIds(a->getMath(), footprint.reads);
    }
    return footprint;
}

// SBML fires events of one priority in a random order. Where neither sets
// what the other reads or sets, every order ends alike and text order is
// as good as any; otherwise the event is refused. Priorities that change
// are computed as the events fire, as SBML does: only a tie at that moment
// would need a random order, and there text order decides.
bool ModelImporter::OrderSettled(const Event& event, const std::string& label,
                                 const std::string& element) {
    PrioritisedEvent entry{label, PriorityKey(event), Footprint(event)};
    for (const PrioritisedEvent& other : prioritised_) {
        const bool tie = other.priority == entry.priority && entry.priority != "changing";
        const bool interfere = Meets(entry.footprint.sets, other.footprint.sets) ||
                               Meets(entry.footprint.sets, other.footprint.reads) ||
                               Meets(other.footprint.sets, entry.footprint.reads);
        if (tie && interfere) {
            Refuse(element, "has the priority of event '" + other.label +
                                "': SBML fires such events in a random order");
            return false;
        }
    }
    prioritised_.push_back(std::move(entry));
    return true;
}

} // namespace kora::sbml
#endif

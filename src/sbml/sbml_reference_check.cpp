#ifdef KORA_WITH_SBML
#include "sbml_reference_check.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace kora::sbml {
namespace {

enum class Kind { Compartment, Species, Parameter, Reaction, SpeciesReference };

class ReferenceChecker {
public:
    ReferenceChecker(const Model& model, std::vector<std::string>& problems)
        : model_(model), problems_(problems) {}

    void Check() {
        Index();
        Species();
        Reactions();
        Functions();
        Rules();
        InitialAssignments();
        Events();
    }

private:
    using Names = std::unordered_set<std::string>;

    void Problem(const SBase& element, const std::string& what, const std::string& why) {
        problems_.push_back("line " + std::to_string(element.getLine()) + ": " + what + ": " + why);
    }

    void Define(const std::string& id, Kind kind, bool constant) {
        kinds_.emplace(id, kind);
        if (constant) constants_.insert(id);
    }

    void Index() {
        for (unsigned i = 0; i < model_.getNumCompartments(); ++i) {
            const Compartment* c = model_.getCompartment(i);
            Define(c->getId(), Kind::Compartment, c->getConstant());
        }
        for (unsigned i = 0; i < model_.getNumSpecies(); ++i) {
            const auto* s = model_.getSpecies(i);
            Define(s->getId(), Kind::Species, s->getConstant());
        }
        for (unsigned i = 0; i < model_.getNumParameters(); ++i) {
            const Parameter* p = model_.getParameter(i);
            Define(p->getId(), Kind::Parameter, p->getConstant());
        }
        for (unsigned i = 0; i < model_.getNumReactions(); ++i) {
            const Reaction* r = model_.getReaction(i);
            Define(r->getId(), Kind::Reaction, true);
            ForEachReference(*r, [&](const SimpleSpeciesReference& ref, bool changed) {
                if (!changed) return;
                if (ref.isSetId())
                    Define(ref.getId(), Kind::SpeciesReference,
                           static_cast<const SpeciesReference&>(ref).getConstant());
                reacting_.insert(ref.getSpecies());
            });
        }
        for (unsigned i = 0; i < model_.getNumFunctionDefinitions(); ++i) {
            const FunctionDefinition* f = model_.getFunctionDefinition(i);
            arity_[f->getId()] = f->getNumArguments();
        }
        // Species at the boundary are not changed by their reactions.
        for (unsigned i = 0; i < model_.getNumSpecies(); ++i)
            if (model_.getSpecies(i)->getBoundaryCondition())
                reacting_.erase(model_.getSpecies(i)->getId());
    }

    // Reactants and products are changed by the reaction, modifiers are not.
    template <typename Visit> static void ForEachReference(const Reaction& r, Visit visit) {
        for (unsigned k = 0; k < r.getNumReactants(); ++k)
            visit(*r.getReactant(k), true);
        for (unsigned k = 0; k < r.getNumProducts(); ++k)
            visit(*r.getProduct(k), true);
        for (unsigned k = 0; k < r.getNumModifiers(); ++k)
            visit(*r.getModifier(k), false);
    }

    void Species() {
        for (unsigned i = 0; i < model_.getNumSpecies(); ++i) {
            const auto* s = model_.getSpecies(i);
            if (!IsA(s->getCompartment(), Kind::Compartment))
                Problem(*s, "species '" + s->getId() + "'",
                        "the compartment '" + s->getCompartment() + "' is not defined");
        }
    }

    void Reactions() {
        for (unsigned i = 0; i < model_.getNumReactions(); ++i) {
            const Reaction* r = model_.getReaction(i);
            const std::string what = "reaction '" + r->getId() + "'";
            ForEachReference(*r, [&](const SimpleSpeciesReference& ref, bool) {
                if (!IsA(ref.getSpecies(), Kind::Species))
                    Problem(ref, what, "the species '" + ref.getSpecies() + "' is not defined");
                if (ref.isModifier()) return;
                const auto& full = static_cast<const SpeciesReference&>(ref);
                if (full.isSetStoichiometryMath())
                    Math(full.getStoichiometryMath()->getMath(), ref, what, {});
            });
            if (!r->isSetKineticLaw()) continue;
            const KineticLaw* law = r->getKineticLaw();
            Names locals;
            for (unsigned k = 0; k < law->getNumParameters(); ++k)
                locals.insert(law->getParameter(k)->getId());
            for (unsigned k = 0; k < law->getNumLocalParameters(); ++k)
                locals.insert(law->getLocalParameter(k)->getId());
            Math(law->getMath(), *law, what, locals);
        }
    }

    // Bodies name only their arguments, and no function calls itself
    // through others: the conversion writes every call out.
    void Functions() {
        std::unordered_map<std::string, std::vector<std::string>> calls;
        for (unsigned i = 0; i < model_.getNumFunctionDefinitions(); ++i) {
            const FunctionDefinition* f = model_.getFunctionDefinition(i);
            Names arguments;
            for (unsigned k = 0; k < f->getNumArguments(); ++k)
                if (f->getArgument(k)->getName() != nullptr)
                    arguments.insert(f->getArgument(k)->getName());
            const std::string what = "function '" + f->getId() + "'";
            if (f->getBody() != nullptr) {
                Math(f->getBody(), *f, what, arguments, &arguments);
                Calls(f->getBody(), calls[f->getId()]);
            }
        }
        const Names cyclic = CallCycles(calls);
        for (unsigned i = 0; i < model_.getNumFunctionDefinitions(); ++i) {
            const FunctionDefinition* f = model_.getFunctionDefinition(i);
            if (cyclic.count(f->getId()))
                Problem(*f, "function '" + f->getId() + "'", "calls itself through its body");
        }
    }

    void Rules() {
        Names targets;
        for (unsigned i = 0; i < model_.getNumRules(); ++i) {
            const Rule* rule = model_.getRule(i);
            if (rule->isAlgebraic()) {
                Math(rule->getMath(), *rule, "algebraic rule", {});
                continue;
            }
            const std::string& id = rule->getVariable();
            const std::string what = "rule for '" + id + "'";
            if (!Target(*rule, what, id)) continue;
            if (!targets.insert(id).second)
                Problem(*rule, what, "'" + id + "' has another rule");
            else if (reacting_.count(id))
                Problem(*rule, what, "the species '" + id + "' is also changed by reactions");
            if (rule->isAssignment()) assigned_.insert(id);
            Math(rule->getMath(), *rule, what, {});
        }
    }

    void InitialAssignments() {
        Names symbols;
        for (unsigned i = 0; i < model_.getNumInitialAssignments(); ++i) {
            const InitialAssignment* a = model_.getInitialAssignment(i);
            const std::string& id = a->getSymbol();
            const std::string what = "initial assignment to '" + id + "'";
            if (!IsDefined(id) || KindOf(id) == Kind::Reaction)
                Problem(*a, what, "'" + id + "' is not defined");
            else if (!symbols.insert(id).second)
                Problem(*a, what, "'" + id + "' has another initial assignment");
            else if (assigned_.count(id))
                Problem(*a, what, "'" + id + "' is set by an assignment rule");
            Math(a->getMath(), *a, what, {});
        }
    }

    void Events() {
        for (unsigned i = 0; i < model_.getNumEvents(); ++i) {
            const Event* event = model_.getEvent(i);
            const std::string what =
                event->isSetId() ? "event '" + event->getId() + "'" : "event " + std::to_string(i);
            if (event->isSetTrigger()) Math(event->getTrigger()->getMath(), *event, what, {});
            if (event->isSetDelay()) Math(event->getDelay()->getMath(), *event, what, {});
            if (event->isSetPriority()) Math(event->getPriority()->getMath(), *event, what, {});
            for (unsigned k = 0; k < event->getNumEventAssignments(); ++k) {
                const EventAssignment* a = event->getEventAssignment(k);
                const std::string& id = a->getVariable();
                if (!Target(*a, what, id)) continue;
                if (assigned_.count(id))
                    Problem(*a, what, "'" + id + "' is set by an assignment rule");
                Math(a->getMath(), *a, what, {});
            }
        }
    }

    // A quantity that a rule or an event changes.
    bool Target(const SBase& element, const std::string& what, const std::string& id) {
        if (!IsDefined(id) || KindOf(id) == Kind::Reaction) {
            Problem(element, what, "'" + id + "' is not defined");
            return false;
        }
        if (constants_.count(id)) {
            Problem(element, what, "'" + id + "' is constant");
            return false;
        }
        return true;
    }

    // Names in `math` are model quantities or `locals`; only in function
    // bodies (`only` set) are they the arguments alone.
    void Math(const ASTNode* math, const SBase& element, const std::string& what,
              const Names& locals, const Names* only = nullptr) {
        if (math == nullptr) return;
        if (math->getType() == AST_NAME && math->getName() != nullptr) {
            const std::string name = math->getName();
            const bool known = locals.count(name) || (only == nullptr && IsDefined(name));
            if (!known) Problem(element, what, "'" + name + "' is not defined");
        }
        if (math->getType() == AST_FUNCTION && math->getName() != nullptr) {
            auto found = arity_.find(math->getName());
            if (found == arity_.end())
                Problem(element, what,
                        "the function '" + std::string(math->getName()) + "' is not defined");
            else if (found->second != math->getNumChildren())
                Problem(element, what,
                        "the function '" + found->first + "' takes " +
                            std::to_string(found->second) + " arguments");
        }
        // A lambda's own arguments are bound variables, not names to look up.
        const bool lambda = math->getType() == AST_LAMBDA;
        for (unsigned i = 0; i < math->getNumChildren(); ++i)
            if (!lambda || !math->getChild(i)->isBvar())
                Math(math->getChild(i), element, what, locals, only);
    }

    static void Calls(const ASTNode* math, std::vector<std::string>& called) {
        if (math->getType() == AST_FUNCTION && math->getName() != nullptr)
            called.push_back(math->getName());
        for (unsigned i = 0; i < math->getNumChildren(); ++i)
            Calls(math->getChild(i), called);
    }

    // Functions on a cycle of calls: those left when functions that call
    // nothing left are removed one by one.
    static Names
    CallCycles(const std::unordered_map<std::string, std::vector<std::string>>& calls) {
        std::unordered_map<std::string, size_t> waiting;
        std::unordered_map<std::string, std::vector<std::string>> callers;
        for (const auto& [f, called] : calls) {
            waiting[f];
            for (const std::string& g : called)
                if (calls.count(g)) {
                    ++waiting[f];
                    callers[g].push_back(f);
                }
        }
        std::vector<std::string> done;
        for (const auto& [f, count] : waiting)
            if (count == 0) done.push_back(f);
        for (size_t i = 0; i < done.size(); ++i)
            for (const std::string& caller : callers[done[i]])
                if (--waiting[caller] == 0) done.push_back(caller);
        Names cyclic;
        for (const auto& [f, count] : waiting)
            if (count > 0) cyclic.insert(f);
        return cyclic;
    }

    bool IsDefined(const std::string& id) const { return kinds_.count(id) != 0; }
    Kind KindOf(const std::string& id) const { return kinds_.at(id); }
    bool IsA(const std::string& id, Kind kind) const {
        auto found = kinds_.find(id);
        return found != kinds_.end() && found->second == kind;
    }

    const Model& model_;
    std::vector<std::string>& problems_;
    std::unordered_map<std::string, Kind> kinds_;
    std::unordered_map<std::string, unsigned> arity_;
    Names constants_, reacting_, assigned_;
};

void NamesIn(const ASTNode* math, std::vector<std::string>& names) {
    if (math == nullptr) return;
    if (math->getType() == AST_NAME && math->getName() != nullptr) names.push_back(math->getName());
    for (unsigned i = 0; i < math->getNumChildren(); ++i)
        NamesIn(math->getChild(i), names);
}

using Dependencies = std::unordered_map<std::string, std::vector<std::string>>;

Dependencies DirectDependencies(const Model& model) {
    Dependencies uses;
    for (unsigned i = 0; i < model.getNumRules(); ++i)
        if (model.getRule(i)->isAssignment())
            NamesIn(model.getRule(i)->getMath(), uses[model.getRule(i)->getVariable()]);
    for (unsigned i = 0; i < model.getNumInitialAssignments(); ++i) {
        const InitialAssignment* a = model.getInitialAssignment(i);
        NamesIn(a->getMath(), uses[a->getSymbol()]);
    }
    for (unsigned i = 0; i < model.getNumReactions(); ++i) {
        const Reaction* r = model.getReaction(i);
        if (r->isSetKineticLaw()) NamesIn(r->getKineticLaw()->getMath(), uses[r->getId()]);
    }
    return uses;
}

} // namespace

unsigned long DependencyWork(const Model& model, unsigned long limit) {
    const Dependencies uses = DirectDependencies(model);
    unsigned long pairs = 0, longest = 1;
    std::unordered_set<std::string> reached;
    std::vector<std::pair<const std::string*, unsigned long>> stack;
    for (const auto& [id, direct] : uses) {
        reached.clear();
        stack.assign(1, {&id, 0});
        while (!stack.empty() && pairs <= limit) {
            const auto [name, depth] = stack.back();
            stack.pop_back();
            longest = std::max(longest, depth);
            auto found = uses.find(*name);
            if (found == uses.end()) continue;
            for (const std::string& next : found->second)
                if (reached.insert(next).second) {
                    ++pairs;
                    stack.push_back({&next, depth + 1});
                }
        }
        if (pairs > limit) return limit + 1;
    }
    return std::min(pairs * longest, limit + 1);
}

unsigned ElementCount(const Model& model) {
    return model.getNumCompartments() + model.getNumSpecies() + model.getNumParameters() +
           model.getNumReactions() + model.getNumRules() + model.getNumInitialAssignments() +
           model.getNumEvents() + model.getNumFunctionDefinitions();
}

void CheckReferences(const Model& model, std::vector<std::string>& problems) {
    ReferenceChecker(model, problems).Check();
}

} // namespace kora::sbml
#endif

#ifdef KORA_WITH_SBML
#include "sbml_model_import.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

#include "sbml_math_text.h"
#include "sbml_names.h"

namespace kora::sbml {
namespace {

LIBSBML_CPP_NAMESPACE_USE

enum class Role { Constant, Variable, Definition, ReactionRate };

struct Line {
    std::string name;
    std::string text;
    std::set<std::string> uses; // model names on the right
};

// True when `text` is a sum or difference outside any brackets.
bool IsSum(const std::string& text) {
    int depth = 0;
    for (size_t i = 0; i + 2 < text.size(); ++i) {
        const char c = text[i];
        depth += (c == '(' || c == '[') - (c == ')' || c == ']');
        if (depth == 0 && c == ' ' && (text[i + 1] == '+' || text[i + 1] == '-') &&
            text[i + 2] == ' ')
            return true;
    }
    return false;
}

// A leading minus binds tighter than "*" and "/", so only sums need brackets
// before those.
std::string SumBracketed(const std::string& text) {
    return IsSum(text) ? "(" + text + ")" : text;
}

// A term after a coefficient or a sign.
std::string Bracketed(const std::string& text) {
    return IsSum(text) || (!text.empty() && text[0] == '-') ? "(" + text + ")" : text;
}

class Importer {
public:
    Importer(const Model& model, std::vector<std::string>& problems)
        : model_(model), problems_(problems) {}

    bool Convert(const std::string& header, std::string& text) {
        ReadTimeSettings();
        ClaimNames();
        CompartmentLines();
        Parameters();
        SpeciesLines();
        Rules();
        Reactions();
        SpeciesEquations();
        Events();
        ReactionRatesInUse();
        const std::vector<Line> definitions = OrderedDefinitions();
        TimeKeeper(definitions);
        if (!problems_.empty()) return false;
        text = Layout(header, definitions);
        return true;
    }

private:
    void Refuse(const std::string& element, const std::string& why) {
        problems_.push_back(element + ": " + why);
    }

    void ClaimNames() {
        for (unsigned i = 0; i < model_.getNumCompartments(); ++i)
            Claim(model_.getCompartment(i)->getId(), Role::Constant);
        for (unsigned i = 0; i < model_.getNumSpecies(); ++i)
            Claim(model_.getSpecies(i)->getId(), Role::Constant);
        for (unsigned i = 0; i < model_.getNumParameters(); ++i)
            Claim(model_.getParameter(i)->getId(), Role::Constant);
        for (unsigned i = 0; i < model_.getNumReactions(); ++i) {
            const Reaction* r = model_.getReaction(i);
            Claim(r->getId(), Role::ReactionRate);
            // Stoichiometries with ids may be named in rules before their reaction is read.
            for (unsigned k = 0; k < r->getNumReactants() + r->getNumProducts(); ++k) {
                const SpeciesReference* ref = k < r->getNumReactants()
                                                  ? r->getReactant(k)
                                                  : r->getProduct(k - r->getNumReactants());
                if (ref->isSetId()) Claim(ref->getId(), Role::Constant);
            }
        }
    }

    void Claim(const std::string& id, Role role) {
        names_.Claim(id);
        roles_[id] = role;
    }

    // Converts math for `element`; local parameters of reaction `scope` come first.
    bool Text(const ASTNode* math, const std::string& element, std::string& text,
              std::set<std::string>& uses, const std::string& scope = {}) {
        NameLookup lookup = [&](const std::string& id) {
            std::string name = scope.empty() ? std::string() : names_.Find(id, scope);
            if (name.empty()) {
                name = names_.Find(id);
                if (!name.empty()) usedIds_.insert(id);
            }
            if (!name.empty()) uses.insert(name);
            return name;
        };
        std::string why;
        if (math == nullptr) why = "no math";
        if (math != nullptr && MathToText(math, lookup, text, why)) return true;
        Refuse(element, why + " cannot be expressed");
        return false;
    }

    void Constant(const std::string& id, double value, bool isSet, const std::string& element) {
        if (!isSet || !std::isfinite(value)) return Refuse(element, "no value");
        constants_.push_back({names_.Find(id), NumberText(value), {}});
    }

    void CompartmentLines() {
        for (unsigned i = 0; i < model_.getNumCompartments(); ++i) {
            const Compartment* c = model_.getCompartment(i);
            const std::string element = "compartment '" + c->getId() + "'";
            if (model_.getRule(c->getId()) != nullptr || IsEventTarget(c->getId()))
                Refuse(element, "a changing size cannot be expressed");
            sizes_[c->getId()] = c->isSetSize() ? c->getSize() : 1.0;
            Constant(c->getId(), sizes_[c->getId()], true, element);
        }
    }

    void Parameters() {
        for (unsigned i = 0; i < model_.getNumParameters(); ++i) {
            const Parameter* p = model_.getParameter(i);
            if (model_.getRule(p->getId()) != nullptr) {
                initial_[p->getId()] = {p->getValue(), p->isSetValue()};
                continue; // a rate or an assignment rule defines it
            }
            Constant(p->getId(), p->getValue(), p->isSetValue(), "parameter '" + p->getId() + "'");
        }
    }

    bool InSomeReaction(const std::string& id) const {
        for (unsigned i = 0; i < model_.getNumReactions(); ++i) {
            const Reaction* r = model_.getReaction(i);
            if (r->getReactant(id) != nullptr || r->getProduct(id) != nullptr) return true;
        }
        return false;
    }

    void SpeciesLines() {
        for (unsigned i = 0; i < model_.getNumSpecies(); ++i) {
            const LIBSBML_CPP_NAMESPACE_QUALIFIER Species* s = model_.getSpecies(i);
            const std::string& id = s->getId();
            const double size = sizes_.count(s->getCompartment()) ? sizes_[s->getCompartment()] : 1;
            double value = NAN;
            if (s->getHasOnlySubstanceUnits())
                value = s->isSetInitialAmount() ? s->getInitialAmount()
                                                : s->getInitialConcentration() * size;
            else
                value = s->isSetInitialConcentration() ? s->getInitialConcentration()
                                                       : s->getInitialAmount() / size;
            const bool isSet = s->isSetInitialAmount() || s->isSetInitialConcentration();
            initial_[id] = {value, isSet};
            if (model_.getRule(id) != nullptr) continue;
            if (!s->getBoundaryCondition() && !s->getConstant() && InSomeReaction(id)) {
                roles_[id] = Role::Variable;
                continue;
            }
            Constant(id, value, isSet, "species '" + id + "'");
        }
    }

    void Rules() {
        for (unsigned i = 0; i < model_.getNumRules(); ++i) {
            const Rule* rule = model_.getRule(i);
            const std::string& id = rule->getVariable();
            if (rule->isAlgebraic()) {
                const std::string label = rule->isSetId()       ? rule->getId()
                                          : rule->isSetMetaId() ? rule->getMetaId()
                                                                : std::to_string(i + 1);
                Refuse("algebraic rule '" + label + "'", "cannot be expressed");
                continue;
            }
            const std::string element = "rule for '" + id + "'";
            if (model_.getCompartment(id) != nullptr) continue; // refused with the compartment
            if (model_.getSpecies(id) == nullptr && model_.getParameter(id) == nullptr) {
                Refuse(element, "non-constant stoichiometry cannot be expressed");
                continue;
            }
            Line line{names_.Find(id), {}, {}};
            if (!Text(rule->getMath(), element, line.text, line.uses)) continue;
            if (rule->isAssignment()) {
                roles_[id] = Role::Definition;
                definitions_.push_back(line);
                continue;
            }
            roles_[id] = Role::Variable;
            equations_.push_back(line);
            if (!initial_[id].second) Refuse(element, "no initial value");
            initialValues_.push_back({line.name, NumberText(initial_[id].first), {}});
        }
    }

    bool IsEventTarget(const std::string& id) const {
        for (unsigned i = 0; i < model_.getNumEvents(); ++i)
            if (model_.getEvent(i)->getEventAssignment(id) != nullptr) return true;
        return false;
    }

    double Stoichiometry(const SpeciesReference* ref, const std::string& element) {
        if (ref->isSetStoichiometryMath() ||
            (ref->isSetId() && (model_.getRule(ref->getId()) || IsEventTarget(ref->getId()))))
            Refuse(element, "non-constant stoichiometry cannot be expressed");
        const double value = ref->getStoichiometry();
        if (ref->isSetId()) {
            Claim(ref->getId(), Role::Constant);
            constants_.push_back({names_.Find(ref->getId()), NumberText(value), {}});
        }
        return std::isfinite(value) ? value : 1.0;
    }

    void Reactions() {
        for (unsigned i = 0; i < model_.getNumReactions(); ++i) {
            const Reaction* r = model_.getReaction(i);
            const std::string element = "reaction '" + r->getId() + "'";
            if (r->isSetFast() && r->getFast())
                Refuse(element, "a fast reaction cannot be expressed");
            const KineticLaw* law = r->getKineticLaw();
            if (law == nullptr) {
                Refuse(element, "no kinetic law");
                continue;
            }
            for (unsigned k = 0; k < law->getNumParameters(); ++k) {
                const Parameter* p = law->getParameter(k);
                names_.Claim(p->getId(), r->getId());
                constants_.push_back(
                    {names_.Find(p->getId(), r->getId()), NumberText(p->getValue()), {}});
            }
            Line rate{names_.Find(r->getId()), {}, {}};
            if (!Text(law->getMath(), element, rate.text, rate.uses, r->getId())) continue;
            rates_[r->getId()] = rate;
            for (unsigned k = 0; k < r->getNumReactants(); ++k)
                AddTerm(r->getReactant(k), -Stoichiometry(r->getReactant(k), element), rate);
            for (unsigned k = 0; k < r->getNumProducts(); ++k)
                AddTerm(r->getProduct(k), Stoichiometry(r->getProduct(k), element), rate);
        }
    }

    void AddTerm(const SpeciesReference* ref, double coefficient, const Line& rate) {
        if (roles_[ref->getSpecies()] != Role::Variable) return;
        std::string& sum = sums_[ref->getSpecies()];
        const double size = std::fabs(coefficient);
        const std::string term =
            size == 1 ? Bracketed(rate.text) : NumberText(size) + "*" + Bracketed(rate.text);
        if (sum.empty())
            sum = coefficient < 0 ? "-" + term : term;
        else
            sum += (coefficient < 0 ? " - " : " + ") + term;
        sumUses_[ref->getSpecies()].insert(rate.uses.begin(), rate.uses.end());
    }

    void SpeciesEquations() {
        for (unsigned i = 0; i < model_.getNumSpecies(); ++i) {
            const LIBSBML_CPP_NAMESPACE_QUALIFIER Species* s = model_.getSpecies(i);
            if (roles_[s->getId()] != Role::Variable || model_.getRule(s->getId())) continue;
            Line line{names_.Find(s->getId()), sums_[s->getId()], sumUses_[s->getId()]};
            std::string factor = s->isSetConversionFactor() ? s->getConversionFactor() : "";
            if (factor.empty() && model_.isSetConversionFactor())
                factor = model_.getConversionFactor();
            if (!factor.empty()) line.text = SumBracketed(line.text) + "*" + names_.Find(factor);
            if (!s->getHasOnlySubstanceUnits())
                line.text = SumBracketed(line.text) + "/" + names_.Find(s->getCompartment());
            equations_.push_back(line);
            initialValues_.push_back({line.name, NumberText(initial_[s->getId()].first), {}});
        }
    }

    // True when `uses` names only constants.
    bool OnlyConstants(const std::set<std::string>& uses) const {
        for (const std::string& name : uses) {
            bool found = false;
            for (const Line& c : constants_)
                found = found || c.name == name;
            if (!found) return false;
        }
        return true;
    }

    // The limit T of a trigger "time >= T" (or "time > T") with T constant;
    // `inclusive` tells ">=" from ">".
    bool TriggerTime(const Event& event, const std::string& element, std::string& time,
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
        if (limit == nullptr || !Text(limit, element, time, uses) || !OnlyConstants(uses))
            return false;
        if (!UsableModelName(time) &&
            time.find_first_not_of("0123456789.e+-") != std::string::npos) {
            const std::string name = names_.Claim(element + "_time", "-");
            constants_.push_back({name, time, uses});
            time = name;
        }
        return true;
    }

    // A constant priority orders events that happen at the same time; the
    // higher one is applied first.
    bool Priority(const Event& event, const std::string& element, double& priority) {
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
    bool FiresAtStart(const Event& event, const std::string& time, bool inclusive) const {
        char* end = nullptr;
        const double at = std::strtod(time.c_str(), &end);
        if (end == time.c_str() || *end != '\0') return false;
        // Level 2 triggers behave as if they were true before the start.
        const bool initial =
            event.getLevel() < 3 || !event.isSetTrigger() || event.getTrigger()->getInitialValue();
        return !initial && (inclusive ? at <= startTime_ : at < startTime_);
    }

    struct TimedEvent {
        double priority;
        std::string time;
        std::vector<Line> assignments;
    };

    void Events() {
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
                if (role == Role::Definition || role == Role::ReactionRate ||
                    model_.getCompartment(a->getVariable()) != nullptr)
                    Refuse(element, "cannot assign '" + a->getVariable() + "'");
                else if (!OnlyConstants(line.uses))
                    Refuse(element,
                           "the value assigned to '" + a->getVariable() + "' is not constant");
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
    void StartValues(const std::vector<Line>& assignments, const std::string& element) {
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
    void RefuseOrderDependence(const std::vector<TimedEvent>& timed) {
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

    // A reaction's id in math stands for its rate: those become definitions.
    void ReactionRatesInUse() {
        for (const auto& [id, rate] : rates_)
            if (usedIds_.count(id)) definitions_.push_back(rate);
    }

    // Definitions in an order where each uses only those above it.
    std::vector<Line> OrderedDefinitions() {
        std::vector<Line> ordered, left = definitions_;
        std::set<std::string> pending;
        for (const Line& d : left)
            pending.insert(d.name);
        while (!left.empty()) {
            size_t before = left.size();
            for (auto it = left.begin(); it != left.end();) {
                bool ready = true;
                for (const std::string& use : it->uses)
                    ready = ready && (use == it->name || !pending.count(use));
                if (!ready) {
                    ++it;
                    continue;
                }
                pending.erase(it->name);
                ordered.push_back(*it);
                it = left.erase(it);
            }
            if (left.size() == before) {
                for (const Line& d : left)
                    Refuse("assignment rule for '" + d.name + "'", "depends on itself");
                break;
            }
        }
        return ordered;
    }

    // The annotation that export writes, else 0 to 10 by 0.1.
    void ReadTimeSettings() {
        const XMLNode* annotation = const_cast<Model&>(model_).getAnnotation();
        for (unsigned i = 0; annotation && i < annotation->getNumChildren(); ++i) {
            const XMLNode& child = annotation->getChild(i);
            if (child.getName() != kTimeSettingsElement || child.getURI() != kTimeSettingsUri)
                continue;
            t0_ = child.getAttrValue("t0");
            tf_ = child.getAttrValue("tf");
            hr_ = child.getAttrValue("hr");
        }
        startTime_ = std::strtod(t0_.c_str(), nullptr);
    }

    // The solvers need a differential equation to step through time; a model
    // that changes only through rules and events gets one that does nothing
    // else, and the output list leaves it out.
    void TimeKeeper(const std::vector<Line>& definitions) {
        if (!equations_.empty()) return;
        const std::string keeper = names_.Claim("time_keeper", "-");
        equations_.push_back(
            {"",
             "// Nothing changes continuously; " + keeper + " only carries the time forward.",
             {}});
        equations_.push_back({keeper, "0", {}});
        initialValues_.push_back({keeper, "0", {}});
        std::set<std::string> listed;
        std::string outputs;
        auto list = [&](const std::string& name) {
            if (!listed.insert(name).second) return;
            outputs += (outputs.empty() ? "" : ", ") + name;
        };
        for (const Line& d : definitions)
            list(d.name);
        for (const Line& e : events_)
            list(e.name);
        outputList_ = "!! " + outputs;
    }

    std::string Layout(const std::string& header, const std::vector<Line>& definitions) {
        std::vector<std::string> lines{header};
        const std::string title = model_.isSetName() ? model_.getName() : model_.getId();
        if (!title.empty()) lines.push_back("NAME " + title);
        for (const auto& [id, name] : names_.Renamed())
            lines.push_back("// " + id + " is named " + name);
        auto section = [&](const char* heading, const std::vector<Line>& items, bool equation) {
            if (items.empty()) return;
            lines.push_back(std::string("// ") + heading);
            for (const Line& item : items)
                lines.push_back(item.name.empty() || item.text.rfind("@ ", 0) == 0
                                    ? item.text
                                    : item.name + (equation ? "' = " : " = ") + item.text);
        };
        section("Constants", constants_, false);
        section("Equations", equations_, true);
        section("Initial values", initialValues_, false);
        section("Auxiliary definitions", definitions, false);
        section("Timed assignments", events_, false);
        if (!outputList_.empty()) lines.push_back(outputList_);
        lines.push_back("// Time settings");
        lines.push_back("t0 = " + t0_);
        lines.push_back("tf = " + tf_);
        lines.push_back("hr = " + hr_);
        std::string text;
        for (const std::string& line : lines)
            text += line + "\r\n";
        return text;
    }

    const Model& model_;
    std::vector<std::string>& problems_;
    NameTable names_;
    std::map<std::string, Role> roles_;
    std::map<std::string, double> sizes_;
    std::map<std::string, std::pair<double, bool>> initial_;
    std::map<std::string, std::string> sums_;
    std::map<std::string, std::set<std::string>> sumUses_;
    std::map<std::string, Line> rates_;
    std::set<std::string> usedIds_;
    std::string t0_ = "0", tf_ = "10", hr_ = "0.1", outputList_;
    double startTime_ = 0;
    std::vector<Line> constants_, equations_, initialValues_, definitions_, events_;
};

} // namespace

bool ConvertModel(const Model& model, const std::string& header, std::string& text,
                  std::vector<std::string>& problems) {
    Importer importer(model, problems);
    return importer.Convert(header, text);
}

} // namespace kora::sbml
#endif

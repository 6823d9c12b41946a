#ifdef KORA_WITH_SBML
#include "sbml_model_import.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "sbml_importer.h"

namespace kora::sbml {

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

std::string Bracketed(const std::string& text) {
    return IsSum(text) || (!text.empty() && text[0] == '-') ? "(" + text + ")" : text;
}

std::string Operand(const std::string& text) {
    const bool plain =
        !text.empty() && text[0] != '-' && text.find_first_of(" +-*/^()[]") == std::string::npos;
    return plain ? text : "(" + text + ")";
}

bool ModelImporter::Convert(const std::string& header, std::string& text) {
    Index();
    ReadTimeSettings();
    ClaimNames();
    AlgebraicTargets();
    CompartmentLines();
    Parameters();
    SpeciesLines();
    Rules();
    AlgebraicRules();
    Reactions();
    SpeciesEquations();
    InitialAssignments();
    Events();
    HoldStartingValues();
    ReactionRates();
    const std::vector<Line> definitions = OrderedDefinitions();
    TimeKeeper(definitions);
    if (!problems_.empty()) return false;
    text = Layout(header, definitions);
    return true;
}

void ModelImporter::Index() {
    for (unsigned i = 0; i < model_.getNumRules(); ++i) {
        const Rule* rule = model_.getRule(i);
        if (!rule->isAlgebraic()) rules_[rule->getVariable()] = rule;
    }
    for (unsigned i = 0; i < model_.getNumInitialAssignments(); ++i) {
        const InitialAssignment* a = model_.getInitialAssignment(i);
        initialAssignments_[a->getSymbol()] = a->getMath();
    }
    for (unsigned i = 0; i < model_.getNumFunctionDefinitions(); ++i)
        functions_[model_.getFunctionDefinition(i)->getId()] = model_.getFunctionDefinition(i);
    for (unsigned i = 0; i < model_.getNumCompartments(); ++i)
        compartments_[model_.getCompartment(i)->getId()] = model_.getCompartment(i);
    for (unsigned i = 0; i < model_.getNumSpecies(); ++i)
        species_[model_.getSpecies(i)->getId()] = model_.getSpecies(i);
    for (unsigned i = 0; i < model_.getNumParameters(); ++i)
        parameters_[model_.getParameter(i)->getId()] = model_.getParameter(i);
    for (unsigned i = 0; i < model_.getNumEvents(); ++i) {
        const Event* event = model_.getEvent(i);
        for (unsigned k = 0; k < event->getNumEventAssignments(); ++k)
            eventTargets_.insert(event->getEventAssignment(k)->getVariable());
    }
    for (unsigned i = 0; i < model_.getNumReactions(); ++i) {
        const Reaction* r = model_.getReaction(i);
        reactions_[r->getId()] = r;
        for (unsigned k = 0; k < r->getNumReactants() + r->getNumProducts(); ++k) {
            const SpeciesReference* ref = k < r->getNumReactants()
                                              ? r->getReactant(k)
                                              : r->getProduct(k - r->getNumReactants());
            reacting_.insert(ref->getSpecies());
            if (ref->isSetId()) references_[ref->getId()] = ref;
        }
    }
}

// The annotation that export writes, else 0 to 10 by 0.1.
void ModelImporter::ReadTimeSettings() {
    const XMLNode* annotation = const_cast<Model&>(model_).getAnnotation();
    for (unsigned i = 0; annotation && i < annotation->getNumChildren(); ++i) {
        const XMLNode& child = annotation->getChild(i);
        if (child.getName() != kTimeSettingsElement || child.getURI() != kTimeSettingsUri) continue;
        t0_ = child.getAttrValue("t0");
        tf_ = child.getAttrValue("tf");
        // A span of no length is written with its number of points instead.
        interval_ = child.hasAttr("hr") ? "hr = " + child.getAttrValue("hr")
                                        : "Npoints = " + child.getAttrValue("Npoints");
    }
    startTime_ = std::strtod(t0_.c_str(), nullptr);
}

void ModelImporter::Refuse(const std::string& element, const std::string& why) {
    problems_.push_back(element + ": " + why);
}

void ModelImporter::ClaimNames() {
    for (unsigned i = 0; i < model_.getNumCompartments(); ++i)
        Claim(model_.getCompartment(i)->getId(), Role::Constant);
    for (unsigned i = 0; i < model_.getNumSpecies(); ++i)
        Claim(model_.getSpecies(i)->getId(), Role::Constant);
    for (unsigned i = 0; i < model_.getNumParameters(); ++i)
        Claim(model_.getParameter(i)->getId(), Role::Constant);
    for (unsigned i = 0; i < model_.getNumReactions(); ++i)
        Claim(model_.getReaction(i)->getId(), Role::ReactionRate);
    // Stoichiometries with ids may be named in rules before their reaction is read.
    for (const auto& [id, ref] : references_)
        Claim(id, Role::Constant);
}

void ModelImporter::Claim(const std::string& id, Role role) {
    names_.Claim(id);
    roles_[id] = role;
}

bool ModelImporter::Text(const ASTNode* math, const std::string& element, std::string& text,
                         std::set<std::string>& uses, const std::string& scope,
                         const NameLookup* custom) {
    NameLookup lookup = [&](const std::string& id) {
        if (custom != nullptr) {
            std::string replaced = (*custom)(id);
            if (!replaced.empty()) return replaced;
        }
        std::string name = scope.empty() ? std::string() : names_.Find(id, scope);
        if (name.empty()) name = names_.Find(id);
        if (!name.empty()) uses.insert(name);
        return name;
    };
    std::string why;
    if (math == nullptr) {
        Refuse(element, "no math");
        return false;
    }
    std::unique_ptr<ASTNode> rewritten;
    if (model_.getNumFunctionDefinitions() > 0) {
        rewritten.reset(Inlined(math));
        math = rewritten.get();
    }
    if (HasRateOf(math)) {
        rewritten.reset(RatesWrittenOut(math, element, scope));
        if (!rewritten) return false;
        math = rewritten.get();
    }
    const bool converted = MathToText(math, lookup, text, why);
    if (!converted) Refuse(element, why + " cannot be expressed");
    return converted;
}

// Replaces the names in `body` (a copy, changed in place) that are keys of
// `arguments` by copies of their values, all at once: an argument's own names
// are never replaced again.
ASTNode* Substituted(ASTNode* body, const std::map<std::string, const ASTNode*>& arguments) {
    if (body->getType() == AST_NAME && body->getName() != nullptr) {
        auto found = arguments.find(body->getName());
        if (found != arguments.end()) {
            delete body;
            return found->second->deepCopy();
        }
    }
    for (unsigned i = 0; i < body->getNumChildren(); ++i) {
        ASTNode* child = body->getChild(i);
        ASTNode* replaced = Substituted(child, arguments);
        if (replaced != child) body->replaceChild(i, replaced, false);
    }
    return body;
}

// A copy of `math` with every call of a function definition written out:
// arguments first, then the body with its arguments in place.
ASTNode* ModelImporter::Inlined(const ASTNode* math) const {
    const FunctionDefinition* definition = nullptr;
    if (math->getType() == AST_FUNCTION && math->getName() != nullptr)
        if (auto found = functions_.find(math->getName()); found != functions_.end())
            definition = found->second;
    if (definition == nullptr || definition->getBody() == nullptr ||
        definition->getNumArguments() != math->getNumChildren()) {
        ASTNode* copy = math->deepCopy();
        for (unsigned i = 0; i < copy->getNumChildren(); ++i) {
            ASTNode* child = Inlined(math->getChild(i));
            copy->replaceChild(i, child, true);
        }
        return copy;
    }
    std::vector<std::unique_ptr<ASTNode>> values;
    std::map<std::string, const ASTNode*> arguments;
    for (unsigned i = 0; i < math->getNumChildren(); ++i) {
        values.emplace_back(Inlined(math->getChild(i)));
        arguments[definition->getArgument(i)->getName()] = values.back().get();
    }
    std::unique_ptr<ASTNode> body(Inlined(definition->getBody()));
    return Substituted(body.release(), arguments);
}

void ModelImporter::AddConstant(const Line& line) {
    constantNames_.insert(line.name);
    constants_.push_back(line);
}

bool ModelImporter::Constant(const std::string& id, double value, bool isSet,
                             const std::string& element) {
    if (initialAssignments_.count(id)) {
        AddConstant({names_.Find(id), "0", {}}); // the assignment's text comes later
        return true;
    }
    if (!isSet || !std::isfinite(value)) {
        Refuse(element, "no value");
        return false;
    }
    AddConstant({names_.Find(id), NumberText(value), {}});
    return true;
}

bool ModelImporter::OnlyConstants(const std::set<std::string>& uses) const {
    for (const std::string& name : uses)
        if (!constantNames_.count(name)) return false;
    return true;
}

bool ModelImporter::ChangingSize(const std::string& compartment) const {
    return rules_.count(compartment) || eventTargets_.count(compartment) ||
           algebraicTargets_.count(compartment);
}

void ModelImporter::CompartmentLines() {
    for (unsigned i = 0; i < model_.getNumCompartments(); ++i) {
        const Compartment* c = model_.getCompartment(i);
        const std::string& id = c->getId();
        sizes_[id] = c->isSetSize() ? c->getSize() : 1.0;
        initial_[id] = {sizes_[id], true};
        if (rules_.count(id) || algebraicTargets_.count(id)) continue; // defined by its rule
        Constant(id, sizes_[id], true, "compartment '" + id + "'");
    }
}

void ModelImporter::Parameters() {
    for (unsigned i = 0; i < model_.getNumParameters(); ++i) {
        const Parameter* p = model_.getParameter(i);
        initial_[p->getId()] = {p->getValue(), p->isSetValue()};
        if (rules_.count(p->getId()) || algebraicTargets_.count(p->getId()))
            continue; // a rate or an assignment rule defines it
        Constant(p->getId(), p->getValue(), p->isSetValue(), "parameter '" + p->getId() + "'");
    }
}

void ModelImporter::SpeciesLines() {
    for (unsigned i = 0; i < model_.getNumSpecies(); ++i) {
        const Species* s = model_.getSpecies(i);
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
        if (rules_.count(id) || algebraicTargets_.count(id)) continue;
        if (!s->getHasOnlySubstanceUnits() && ChangingSize(s->getCompartment())) {
            // The amount is what reactions change and a new size leaves alone;
            // the concentration follows the size.
            amounts_[id] = names_.Claim(id + "_amount", "-");
            roles_[id] = Role::Definition;
            continue;
        }
        if (!s->getBoundaryCondition() && !s->getConstant() && reacting_.count(id)) {
            roles_[id] = Role::Variable;
            continue;
        }
        const std::string element = "species '" + id + "'";
        if (!isSet && !initialAssignments_.count(id)) {
            Refuse(element, "no value");
            continue;
        }
        const std::string start = SpeciesStart(*s);
        if (!initialAssignments_.count(id))
            AddConstant({names_.Find(id), start, {}});
        else
            Constant(id, 0, true, element);
    }
}

// A species' starting value in its own terms (amount or concentration); the
// size of a compartment that is not a plain number enters by name.
std::string ModelImporter::SpeciesStart(const Species& s) {
    const std::string& c = s.getCompartment();
    const bool plainSize = !ChangingSize(c) && !initialAssignments_.count(c);
    const bool convert =
        s.getHasOnlySubstanceUnits() ? !s.isSetInitialAmount() : !s.isSetInitialConcentration();
    if (plainSize || !convert) return NumberText(initial_[s.getId()].first);
    const std::string sizeOperand = Operand(StartText(c, "species '" + s.getId() + "'"));
    return s.getHasOnlySubstanceUnits()
               ? NumberText(s.getInitialConcentration()) + "*" + sizeOperand
               : NumberText(s.getInitialAmount()) + "/" + sizeOperand;
}

void ModelImporter::Reactions() {
    for (unsigned i = 0; i < model_.getNumReactions(); ++i) {
        const Reaction* r = model_.getReaction(i);
        const std::string element = "reaction '" + r->getId() + "'";
        if (r->isSetFast() && r->getFast()) Refuse(element, "a fast reaction cannot be expressed");
        const KineticLaw* law = r->getKineticLaw();
        if (law == nullptr) {
            Refuse(element, "no kinetic law");
            continue;
        }
        for (unsigned k = 0; k < law->getNumParameters(); ++k) {
            const Parameter* p = law->getParameter(k);
            names_.Claim(p->getId(), r->getId());
            AddConstant({names_.Find(p->getId(), r->getId()), NumberText(p->getValue()), {}});
        }
        Line rate{names_.Find(r->getId()), {}, {}};
        if (!Text(law->getMath(), element, rate.text, rate.uses, r->getId())) continue;
        rates_[r->getId()] = rate;
        for (unsigned k = 0; k < r->getNumReactants() + r->getNumProducts(); ++k) {
            const bool reactant = k < r->getNumReactants();
            const SpeciesReference* ref =
                reactant ? r->getReactant(k) : r->getProduct(k - r->getNumReactants());
            double number = 1;
            const std::string named = Stoichiometry(*r, ref, element, number);
            AddTerm(ref, reactant, named, number, rate);
        }
    }
}

// The stoichiometry as a number, or as the name of what sets it ("" for a
// number) when rules, events or initial assignments set it.
std::string ModelImporter::Stoichiometry(const Reaction& r, const SpeciesReference* ref,
                                         const std::string& element, double& number) {
    number = ref->getStoichiometry();
    if (!std::isfinite(number)) number = 1;
    if (ref->isSetStoichiometryMath()) {
        const std::string name = names_.Claim(r.getId() + "_" + ref->getSpecies() + "_stoich", "-");
        Line line{name, {}, {}};
        if (!Text(ref->getStoichiometryMath()->getMath(), element, line.text, line.uses))
            return "1";
        roles_[name] = Role::Definition;
        definitions_.push_back(line);
        return name;
    }
    if (!ref->isSetId()) return "";
    const std::string& id = ref->getId();
    if (!rules_.count(id) && !algebraicTargets_.count(id)) {
        if (initialAssignments_.count(id))
            Constant(id, number, true, element);
        else
            AddConstant({names_.Find(id), NumberText(number), {}});
    }
    const bool changes = rules_.count(id) || eventTargets_.count(id) ||
                         initialAssignments_.count(id) || algebraicTargets_.count(id);
    return changes ? names_.Find(id) : "";
}

void ModelImporter::AddTerm(const SpeciesReference* ref, bool reactant,
                            const std::string& coefficient, double number, const Line& rate) {
    const Species* s = species_[ref->getSpecies()];
    if (s == nullptr || s->getBoundaryCondition() || s->getConstant()) return;
    if (roles_[ref->getSpecies()] != Role::Variable && !amounts_.count(ref->getSpecies())) return;
    std::string& sum = sums_[ref->getSpecies()];
    std::string term;
    bool negative = reactant;
    if (!coefficient.empty()) {
        term = coefficient + "*" + Bracketed(rate.text);
    } else {
        negative = negative != (number < 0);
        const double size = std::fabs(number);
        term = size == 1 ? Bracketed(rate.text) : NumberText(size) + "*" + Bracketed(rate.text);
    }
    if (sum.empty())
        sum = negative ? "-" + term : term;
    else
        sum += (negative ? " - " : " + ") + term;
    sumUses_[ref->getSpecies()].insert(rate.uses.begin(), rate.uses.end());
    if (!coefficient.empty()) sumUses_[ref->getSpecies()].insert(coefficient);
}

void ModelImporter::SpeciesEquations() {
    for (unsigned i = 0; i < model_.getNumSpecies(); ++i) {
        const Species* s = model_.getSpecies(i);
        const std::string& id = s->getId();
        const bool amount = amounts_.count(id) != 0;
        if ((roles_[id] != Role::Variable && !amount) || rules_.count(id)) continue;
        Line line{amount ? amounts_[id] : names_.Find(id), sums_[id], sumUses_[id]};
        if (line.text.empty()) line.text = "0";
        std::string factor = s->isSetConversionFactor() ? s->getConversionFactor() : "";
        if (factor.empty() && model_.isSetConversionFactor()) factor = model_.getConversionFactor();
        if (!factor.empty()) line.text = SumBracketed(line.text) + "*" + names_.Find(factor);
        const std::string size = names_.Find(s->getCompartment());
        if (!s->getHasOnlySubstanceUnits() && !amount)
            line.text = SumBracketed(line.text) + "/" + size;
        equations_.push_back(line);
        if (!amount) {
            initialValues_.push_back({line.name, SpeciesStart(*s), {}});
            continue;
        }
        const std::string start =
            s->isSetInitialAmount() && !initialAssignments_.count(id)
                ? NumberText(s->getInitialAmount())
                : Operand(StartText(id, "species '" + id + "'")) + "*" +
                      Operand(StartText(s->getCompartment(), "species '" + id + "'"));
        initialValues_.push_back({line.name, start, {}});
        definitions_.push_back({names_.Find(id), line.name + "/" + size, {line.name, size}});
    }
}

// A reaction's id in math stands for its rate; every rate becomes a
// definition so that it can be reported too.
void ModelImporter::ReactionRates() {
    for (unsigned i = 0; i < model_.getNumReactions(); ++i)
        if (auto rate = rates_.find(model_.getReaction(i)->getId()); rate != rates_.end())
            definitions_.push_back(rate->second);
}

namespace {

constexpr size_t kNotSeen = SIZE_MAX, kOpen = SIZE_MAX - 1, kNever = 0;

// The pass that takes each definition when the list is walked again and
// again, each walk taking those whose uses are all taken: one after its
// uses', or the same as a use's that stands above it. kNever on a cycle.
// Found in one walk over the uses: repeated walks take as many walks as
// the longest chain of definitions.
std::vector<size_t> Passes(const std::vector<Line>& lines) {
    std::unordered_map<std::string, size_t> index;
    for (size_t i = 0; i < lines.size(); ++i)
        index.emplace(lines[i].name, i);
    std::vector<size_t> pass(lines.size(), kNotSeen);
    struct Frame {
        size_t line;
        std::set<std::string>::const_iterator use;
        size_t pass;
    };
    auto take = [](Frame& frame, size_t use, size_t usePass) {
        if (usePass == kOpen || usePass == kNever || frame.pass == kNever)
            frame.pass = kNever;
        else
            frame.pass = std::max(frame.pass, usePass + (use > frame.line ? 1 : 0));
    };
    std::vector<Frame> stack;
    for (size_t root = 0; root < lines.size(); ++root) {
        if (pass[root] != kNotSeen) continue;
        pass[root] = kOpen;
        stack.push_back({root, lines[root].uses.begin(), 1});
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.use == lines[frame.line].uses.end()) {
                const Frame done = frame;
                stack.pop_back();
                pass[done.line] = done.pass;
                if (!stack.empty()) take(stack.back(), done.line, done.pass);
                continue;
            }
            auto found = index.find(*frame.use++);
            if (found == index.end() || found->second == frame.line) continue;
            const size_t use = found->second;
            if (pass[use] == kNotSeen) {
                pass[use] = kOpen;
                stack.push_back({use, lines[use].uses.begin(), 1});
            } else {
                take(frame, use, pass[use]);
            }
        }
    }
    return pass;
}

} // namespace

// Definitions in an order where each uses only those above it.
std::vector<Line> ModelImporter::OrderedDefinitions() {
    const std::vector<size_t> pass = Passes(definitions_);
    std::vector<size_t> order(definitions_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return pass[a] < pass[b]; });
    std::vector<Line> ordered;
    for (size_t i : order)
        if (pass[i] != kNever) ordered.push_back(definitions_[i]);
    for (size_t i = 0; i < definitions_.size(); ++i)
        if (pass[i] == kNever)
            Refuse("assignment rule for '" + definitions_[i].name + "'", "depends on itself");
    return ordered;
}

// The solvers need a differential equation to step through time; a model
// that changes only through rules and events gets one that does nothing
// else, and the output list leaves it out.
void ModelImporter::TimeKeeper(const std::vector<Line>& definitions) {
    if (!equations_.empty()) return;
    const std::string keeper = names_.Claim("time_keeper", "-");
    equations_.push_back(
        {"", "// Nothing changes continuously; " + keeper + " only carries the time forward.", {}});
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
    for (const std::string& name : eventTargetNames_)
        list(name);
    outputList_ = "!! " + outputs;
}

std::string ModelImporter::Layout(const std::string& header, const std::vector<Line>& definitions) {
    std::vector<std::string> lines{header};
    const std::string title = model_.isSetName() ? model_.getName() : model_.getId();
    if (!title.empty()) lines.push_back("NAME " + title);
    for (const auto& [id, name] : names_.Renamed())
        lines.push_back("// " + id + " is named " + name);
    for (const auto& [id, name] : amounts_)
        lines.push_back("// " + name + " is the amount of '" + id + "'");
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
    section("Events", events_, false);
    if (!outputList_.empty()) lines.push_back(outputList_);
    lines.push_back("// Time settings");
    lines.push_back("t0 = " + t0_);
    lines.push_back("tf = " + tf_);
    lines.push_back(interval_);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

bool ConvertModel(const Model& model, const std::string& header, std::string& text,
                  std::vector<std::string>& problems) {
    ModelImporter importer(model, problems);
    return importer.Convert(header, text);
}

} // namespace kora::sbml
#endif

#ifdef KORA_WITH_SBML
#include <cctype>
#include <memory>

#include "sbml_importer.h"

namespace kora::sbml {
namespace {

bool Contains(const ASTNode* node, const std::string& id) {
    if (node->getType() == AST_NAME && node->getName() != nullptr && id == node->getName())
        return true;
    for (unsigned i = 0; i < node->getNumChildren(); ++i)
        if (Contains(node->getChild(i), id)) return true;
    return false;
}

// True when `node` is a sum of terms each either free of `id` or a product
// of `id` with factors free of it (division by such factors included).
bool Linear(const ASTNode* node, const std::string& id) {
    if (!Contains(node, id)) return true;
    switch (node->getType()) {
    case AST_NAME:
        return true;
    case AST_PLUS:
    case AST_MINUS:
        for (unsigned i = 0; i < node->getNumChildren(); ++i)
            if (!Linear(node->getChild(i), id)) return false;
        return true;
    case AST_TIMES: {
        unsigned holding = 0;
        for (unsigned i = 0; i < node->getNumChildren(); ++i)
            if (Contains(node->getChild(i), id)) {
                ++holding;
                if (!Linear(node->getChild(i), id)) return false;
            }
        return holding == 1;
    }
    case AST_DIVIDE:
        return node->getNumChildren() == 2 && !Contains(node->getChild(1), id) &&
               Linear(node->getChild(0), id);
    default:
        return false;
    }
}

using Tree = std::unique_ptr<ASTNode>;

Tree Number(double value) {
    Tree node = std::make_unique<ASTNode>(AST_REAL);
    node->setValue(value);
    return node;
}

// The factor of `id` in a linear `node`, written out exactly (no
// differences of evaluations, which would lose digits).
Tree Coefficient(const ASTNode* node, const std::string& id) {
    if (!Contains(node, id)) return Number(0);
    if (node->getType() == AST_NAME) return Number(1);
    Tree out;
    switch (node->getType()) {
    case AST_PLUS:
        out = std::make_unique<ASTNode>(AST_PLUS);
        // One term holding the quantity: its coefficient alone.
        for (unsigned i = 0; i < node->getNumChildren(); ++i)
            if (Contains(node->getChild(i), id))
                out->addChild(Coefficient(node->getChild(i), id).release());
        return out;
    case AST_MINUS:
        if (node->getNumChildren() == 2 && !Contains(node->getChild(1), id))
            return Coefficient(node->getChild(0), id);
        out = std::make_unique<ASTNode>(AST_MINUS);
        out->addChild(Coefficient(node->getChild(0), id).release());
        if (node->getNumChildren() == 2)
            out->addChild(Coefficient(node->getChild(1), id).release());
        return out;
    case AST_TIMES:
        out = std::make_unique<ASTNode>(AST_TIMES);
        for (unsigned i = 0; i < node->getNumChildren(); ++i)
            out->addChild(Contains(node->getChild(i), id)
                              ? Coefficient(node->getChild(i), id).release()
                              : node->getChild(i)->deepCopy());
        return out;
    default: // AST_DIVIDE
        out = std::make_unique<ASTNode>(AST_DIVIDE);
        out->addChild(Coefficient(node->getChild(0), id).release());
        out->addChild(node->getChild(1)->deepCopy());
        return out;
    }
}

void Names(const ASTNode* node, std::set<std::string>& out) {
    if (node->getType() == AST_NAME && node->getName() != nullptr) out.insert(node->getName());
    for (unsigned i = 0; i < node->getNumChildren(); ++i)
        Names(node->getChild(i), out);
}

std::string RuleLabel(const Rule& rule, unsigned index) {
    return rule.isSetId()       ? rule.getId()
           : rule.isSetMetaId() ? rule.getMetaId()
                                : std::to_string(index + 1);
}

} // namespace

// May an algebraic rule determine `id`? Only what nothing else determines.
bool ModelImporter::IsFree(const std::string& id) const {
    if (rules_.count(id) || algebraicTargets_.count(id)) return false;
    if (auto p = parameters_.find(id); p != parameters_.end()) return !p->second->getConstant();
    if (auto c = compartments_.find(id); c != compartments_.end()) return !c->second->getConstant();
    if (auto s = species_.find(id); s != species_.end())
        return !s->second->getConstant() &&
               (s->second->getBoundaryCondition() || !reacting_.count(id));
    if (auto r = references_.find(id); r != references_.end()) return !r->second->getConstant();
    return false;
}

// Each algebraic rule determines the one free quantity it names; rules
// naming several wait until the others have taken theirs.
void ModelImporter::AlgebraicTargets() {
    std::vector<const Rule*> open;
    for (unsigned i = 0; i < model_.getNumRules(); ++i)
        if (model_.getRule(i)->isAlgebraic() && model_.getRule(i)->getMath() != nullptr)
            open.push_back(model_.getRule(i));
    for (bool progress = true; progress && !open.empty();) {
        progress = false;
        for (auto it = open.begin(); it != open.end();) {
            std::set<std::string> names;
            Names((*it)->getMath(), names);
            std::string target;
            int free = 0;
            for (const std::string& name : names)
                if (IsFree(name)) {
                    ++free;
                    target = name;
                }
            if (free != 1) {
                ++it;
                continue;
            }
            algebraicTargets_[target] = *it;
            it = open.erase(it);
            progress = true;
        }
    }
}

void ModelImporter::Rules() {
    for (unsigned i = 0; i < model_.getNumRules(); ++i) {
        const Rule* rule = model_.getRule(i);
        if (rule->isAlgebraic()) continue;
        const std::string& id = rule->getVariable();
        const std::string element = "rule for '" + id + "'";
        Line line{names_.Find(id), {}, {}};
        if (line.name.empty()) {
            Refuse(element, "names nothing the model holds");
            continue;
        }
        if (!Text(rule->getMath(), element, line.text, line.uses)) continue;
        if (rule->isAssignment()) {
            roles_[id] = Role::Definition;
            definitions_.push_back(line);
            continue;
        }
        roles_[id] = Role::Variable;
        equations_.push_back(line);
        std::pair<double, bool> start = initial_[id];
        if (auto r = references_.find(id); r != references_.end())
            start = {r->second->getStoichiometry(), true};
        if (!start.second && !initialAssignments_.count(id)) Refuse(element, "no initial value");
        initialValues_.push_back({line.name, NumberText(start.first), {}});
    }
}

// x solved from a rule a*x + b = 0 that is linear in x: x = -b/a.
void ModelImporter::AlgebraicRules() {
    for (unsigned i = 0; i < model_.getNumRules(); ++i) {
        const Rule* rule = model_.getRule(i);
        if (!rule->isAlgebraic()) continue;
        const std::string element = "algebraic rule '" + RuleLabel(*rule, i) + "'";
        std::string target;
        for (const auto& [id, determining] : algebraicTargets_)
            if (determining == rule) target = id;
        if (target.empty()) {
            Refuse(element, "does not determine one quantity");
            continue;
        }
        if (!Linear(rule->getMath(), target)) {
            Refuse(element, "is not linear in '" + target + "'");
            continue;
        }
        Line line{names_.Find(target), {}, {}};
        const NameLookup zero = [&](const std::string& id) {
            return id == target ? std::string("0") : std::string();
        };
        std::string rest, factor;
        const Tree coefficient = Coefficient(rule->getMath(), target);
        if (!Text(rule->getMath(), element, rest, line.uses, {}, &zero) ||
            !Text(coefficient.get(), element, factor, line.uses))
            continue;
        line.uses.erase(line.name);
        line.text = "-(" + rest + ")/(" + factor + ")";
        roles_[target] = Role::Definition;
        definitions_.push_back(line);
    }
}

void ModelImporter::InitialAssignments() {
    std::unordered_map<std::string, Line*> lines;
    for (std::vector<Line>* list : {&constants_, &initialValues_})
        for (Line& line : *list)
            lines[line.name] = &line;
    for (unsigned i = 0; i < model_.getNumInitialAssignments(); ++i) {
        const InitialAssignment* a = model_.getInitialAssignment(i);
        const std::string& id = a->getSymbol();
        const std::string element = "initial assignment to '" + id + "'";
        if (rules_.count(id) && rules_[id]->isAssignment()) continue; // the rule holds throughout
        if (algebraicTargets_.count(id)) continue;
        std::string text;
        if (!StartMath(a->getMath(), element, text)) continue;
        if (amounts_.count(id)) continue; // its amount starts from this already
        auto line = lines.find(names_.Find(id));
        if (line == lines.end()) continue;
        line->second->text = text;
    }
}

// A constant follows the constants its text reads when events change them;
// a starting value computed from them must not: it becomes a variable that
// stays where it starts.
void ModelImporter::HoldStartingValues() {
    if (eventTargetNames_.empty()) return;
    const std::unordered_set<std::string> targets(eventTargetNames_.begin(),
                                                  eventTargetNames_.end());
    std::vector<Line> kept;
    for (Line& line : constants_) {
        if (!ReadsEventTarget(line.text, targets)) {
            kept.push_back(std::move(line));
            continue;
        }
        constantNames_.erase(line.name);
        equations_.push_back({line.name, "0", {}});
        initialValues_.push_back(std::move(line));
    }
    constants_ = std::move(kept);
}

bool ModelImporter::ReadsEventTarget(const std::string& text,
                                     const std::unordered_set<std::string>& targets) const {
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isalpha(c) && c != '_') {
            // Digits, and the exponent of a number, are not names.
            while (i < text.size() &&
                   (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '.'))
                ++i;
            i += i < text.size() ? 1 : 0;
            continue;
        }
        size_t end = i;
        while (end < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
            ++end;
        if (targets.count(text.substr(i, end - i))) return true;
        i = end;
    }
    return false;
}

// The value of `id` at the start as a constant expression.
std::string ModelImporter::StartText(const std::string& id, const std::string& element) {
    if (id == kTimeId) return NumberText(startTime_);
    if (!visiting_.insert(id).second) {
        Refuse(element, "starting values that depend on each other");
        return "0";
    }
    std::string text;
    const ASTNode* math = nullptr;
    std::string scope;
    if (auto a = initialAssignments_.find(id); a != initialAssignments_.end())
        math = a->second;
    else if (auto r = rules_.find(id); r != rules_.end() && r->second->isAssignment())
        math = r->second->getMath();
    else if (auto k = reactions_.find(id); k != reactions_.end() && k->second->isSetKineticLaw())
        math = k->second->getKineticLaw()->getMath(), scope = id;
    if (math != nullptr) {
        if (!StartMath(math, element, text, scope)) text = "0";
    } else if (algebraicTargets_.count(id)) {
        Refuse(element, "the starting value of '" + id + "', set by an algebraic rule");
        text = "0";
    } else if (auto s = species_.find(id); s != species_.end() && roles_[id] != Role::Constant) {
        text = SpeciesStart(*s->second);
    } else if (auto ref = references_.find(id);
               ref != references_.end() && rules_.count(id) && rules_[id]->isRate()) {
        text = NumberText(ref->second->getStoichiometry());
    } else if ((roles_.count(id) && roles_[id] == Role::Variable) ||
               (rules_.count(id) && rules_[id]->isRate())) {
        // A rate rule may not have made its quantity a variable yet.
        text = NumberText(initial_[id].first);
    } else {
        text = names_.Find(id);
    }
    visiting_.erase(id);
    return text;
}

// Math evaluated at the start: every name that changes in time is replaced
// by its starting value, so the model's constant folding computes it.
bool ModelImporter::StartMath(const ASTNode* math, const std::string& element, std::string& text,
                              const std::string& scope) {
    const NameLookup start = [&](const std::string& id) -> std::string {
        if (id == kTimeId) return NumberText(startTime_);
        if (!scope.empty() && !names_.Find(id, scope).empty()) return {};
        const bool ruled = rules_.count(id) != 0;
        if (!roles_.count(id) || (roles_[id] == Role::Constant && !amounts_.count(id) && !ruled))
            return {};
        return Operand(StartText(id, element));
    };
    std::set<std::string> uses;
    return Text(math, element, text, uses, scope, &start);
}

} // namespace kora::sbml
#endif

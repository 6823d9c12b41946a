#ifdef KORA_WITH_SBML
#include <cmath>
#include <memory>

#include "sbml_importer.h"

namespace kora::sbml {
namespace {

using Tree = std::unique_ptr<ASTNode>;

Tree Name(const std::string& id) {
    Tree node = std::make_unique<ASTNode>(AST_NAME);
    node->setName(id.c_str());
    return node;
}

Tree Real(double value) {
    Tree node = std::make_unique<ASTNode>(AST_REAL);
    node->setValue(value);
    return node;
}

Tree Operation(ASTNodeType_t type, Tree left, Tree right) {
    Tree node = std::make_unique<ASTNode>(type);
    node->addChild(left.release());
    node->addChild(right.release());
    return node;
}

void Names(const ASTNode* node, std::set<std::string>& out) {
    if (node->getType() == AST_NAME && node->getName() != nullptr) out.insert(node->getName());
    for (unsigned i = 0; i < node->getNumChildren(); ++i)
        Names(node->getChild(i), out);
}

} // namespace

bool HasRateOf(const ASTNode* node) {
    if (node->getType() == AST_FUNCTION_RATE_OF) return true;
    for (unsigned i = 0; i < node->getNumChildren(); ++i)
        if (HasRateOf(node->getChild(i))) return true;
    return false;
}

// How fast reactions change the amount of species `id`: the sum of each
// stoichiometry (signed) times its reaction's rate, by the reaction's id.
ASTNode* ModelImporter::ReactionTerms(const std::string& id) const {
    Tree sum;
    for (unsigned i = 0; i < model_.getNumReactions(); ++i) {
        const Reaction* r = model_.getReaction(i);
        if (!r->isSetKineticLaw()) continue;
        for (unsigned k = 0; k < r->getNumReactants() + r->getNumProducts(); ++k) {
            const bool reactant = k < r->getNumReactants();
            const SpeciesReference* ref =
                reactant ? r->getReactant(k) : r->getProduct(k - r->getNumReactants());
            if (ref->getSpecies() != id) continue;
            Tree coefficient;
            if (ref->isSetStoichiometryMath() && ref->getStoichiometryMath()->isSetMath())
                coefficient.reset(Inlined(ref->getStoichiometryMath()->getMath()));
            else if (ref->isSetId())
                coefficient = Name(ref->getId());
            else
                coefficient =
                    Real(std::isfinite(ref->getStoichiometry()) ? ref->getStoichiometry() : 1.0);
            Tree term = Operation(AST_TIMES, std::move(coefficient), Name(r->getId()));
            if (!sum) {
                sum = reactant ? Tree(std::make_unique<ASTNode>(AST_MINUS)) : std::move(term);
                if (reactant) sum->addChild(term.release());
            } else {
                sum = Operation(reactant ? AST_MINUS : AST_PLUS, std::move(sum), std::move(term));
            }
        }
    }
    return sum ? sum.release() : Real(0).release();
}

// The derivative of `id` in time as math over the model's own ids, or
// nullptr (with the reason in `why`) where the model does not hold it.
ASTNode* ModelImporter::RateTree(const std::string& id, std::string& why) {
    if (auto rule = rules_.find(id); rule != rules_.end()) {
        if (!rule->second->isRate() || rule->second->getMath() == nullptr) {
            why = "the rate of '" + id + "', set by an assignment rule,";
            return nullptr;
        }
        return Inlined(rule->second->getMath());
    }
    if (algebraicTargets_.count(id)) {
        why = "the rate of '" + id + "', set by an algebraic rule,";
        return nullptr;
    }
    const bool known = compartments_.count(id) || parameters_.count(id) || species_.count(id) ||
                       references_.count(id);
    if (!known) {
        why = "the rate of '" + id + "'";
        return nullptr;
    }
    auto s = species_.find(id);
    if (s == species_.end() || roles_[id] != Role::Variable) {
        if (s == species_.end() || !amounts_.count(id)) return Real(0).release();
        why = "the rate of '" + id + "', in a compartment whose size changes,";
        return nullptr;
    }
    const Species& species = *s->second;
    Tree rate(ReactionTerms(id));
    std::string factor = species.isSetConversionFactor() ? species.getConversionFactor() : "";
    if (factor.empty() && model_.isSetConversionFactor()) factor = model_.getConversionFactor();
    if (!factor.empty()) rate = Operation(AST_TIMES, std::move(rate), Name(factor));
    if (!species.getHasOnlySubstanceUnits())
        rate = Operation(AST_DIVIDE, std::move(rate), Name(species.getCompartment()));
    return rate.release();
}

// A copy of `math` with every rateOf written out as its quantity's
// derivative; nullptr (refused) where one cannot be.
ASTNode* ModelImporter::RatesWrittenOut(const ASTNode* math, const std::string& element,
                                        const std::string& scope) {
    if (math->getType() != AST_FUNCTION_RATE_OF) {
        Tree copy(math->deepCopy());
        for (unsigned i = 0; i < copy->getNumChildren(); ++i) {
            ASTNode* child = RatesWrittenOut(math->getChild(i), element, scope);
            if (child == nullptr) return nullptr;
            copy->replaceChild(i, child, true);
        }
        return copy.release();
    }
    const ASTNode* of = math->getNumChildren() == 1 ? math->getChild(0) : nullptr;
    if (of == nullptr || of->getType() != AST_NAME || of->getName() == nullptr) {
        Refuse(element, "a rateOf of anything but a quantity cannot be expressed");
        return nullptr;
    }
    const std::string id = of->getName();
    // A local parameter never changes.
    if (!scope.empty() && !names_.Find(id, scope).empty()) return Real(0).release();
    std::string why;
    if (!rating_.insert(id).second) {
        Refuse(element, "rates that depend on each other cannot be expressed");
        return nullptr;
    }
    Tree rate(RateTree(id, why));
    if (rate && HasRateOf(rate.get())) rate.reset(RatesWrittenOut(rate.get(), element, {}));
    rating_.erase(id);
    if (!rate) {
        if (!why.empty()) Refuse(element, why + " cannot be expressed");
        return nullptr;
    }
    // Inside a kinetic law a local parameter would hide a model quantity.
    std::set<std::string> read;
    Names(rate.get(), read);
    for (const std::string& name : read)
        if (!scope.empty() && !names_.Find(name, scope).empty()) {
            Refuse(element, "the rate of '" + id + "' reads '" + name +
                                "', hidden here by a local parameter");
            return nullptr;
        }
    return rate.release();
}

} // namespace kora::sbml
#endif

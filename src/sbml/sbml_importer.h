// The conversion of one SBML model into model-text lines, shared by the
// files that convert its parts (quantities and reactions, rules and initial
// assignments, events).
#pragma once

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <sbml/SBMLTypes.h>

#include "sbml_math_text.h"
#include "sbml_model_import.h"
#include "sbml_names.h"

namespace kora::sbml {

LIBSBML_CPP_NAMESPACE_USE

enum class Role { Constant, Variable, Definition, ReactionRate };

struct Line {
    std::string name;
    std::string text;
    std::set<std::string> uses; // model names on the right
};

class ModelImporter {
public:
    ModelImporter(const Model& model, std::vector<std::string>& problems)
        : model_(model), problems_(problems) {}

    bool Convert(const std::string& header, std::string& text);

private:
    // sbml_model_import.cpp: quantities, reactions and the layout.
    void Index();
    void ReadTimeSettings();
    void ClaimNames();
    void Claim(const std::string& id, Role role);
    void Refuse(const std::string& element, const std::string& why);
    bool Text(const ASTNode* math, const std::string& element, std::string& text,
              std::set<std::string>& uses, const std::string& scope = {},
              const NameLookup* custom = nullptr);
    ASTNode* Inlined(const ASTNode* math) const;
    void AddConstant(const Line& line);
    bool Constant(const std::string& id, double value, bool isSet, const std::string& element);
    void CompartmentLines();
    void Parameters();
    void SpeciesLines();
    std::string SpeciesStart(const Species& s);
    void Reactions();
    std::string Stoichiometry(const Reaction& r, const SpeciesReference* ref,
                              const std::string& element, double& number);
    void AddTerm(const SpeciesReference* ref, bool reactant, const std::string& coefficient,
                 double number, const Line& rate);
    void SpeciesEquations();
    void ReactionRates();
    std::vector<Line> OrderedDefinitions();
    void TimeKeeper(const std::vector<Line>& definitions);
    std::string Layout(const std::string& header, const std::vector<Line>& definitions);
    bool OnlyConstants(const std::set<std::string>& uses) const;
    bool ChangingSize(const std::string& compartment) const;

    // sbml_import_rules.cpp: rules, algebraic rules and initial assignments.
    void AlgebraicTargets();
    bool IsFree(const std::string& id) const;
    void Rules();
    void AlgebraicRules();
    void InitialAssignments();
    bool ReadsEventTarget(const std::string& text,
                          const std::unordered_set<std::string>& targets) const;
    void HoldStartingValues();
    std::string StartText(const std::string& id, const std::string& element);
    bool StartMath(const ASTNode* math, const std::string& element, std::string& text,
                   const std::string& scope = {});

    // sbml_import_rate_of.cpp: rateOf written out as the derivative it stands for.
    ASTNode* RatesWrittenOut(const ASTNode* math, const std::string& element,
                             const std::string& scope);
    ASTNode* RateTree(const std::string& id, std::string& why);
    ASTNode* ReactionTerms(const std::string& id) const;

    // sbml_import_events.cpp.
    void Events();
    bool TriggerTime(const Event& event, const std::string& element, std::string& time);
    bool Condition(const Event& event, const std::string& element, std::string& condition);
    bool EventOptions(const Event& event, const std::string& element, std::string& options);
    bool EventAssignments(const Event& event, const std::string& element, std::vector<Line>& out);

    // sbml_import_event_order.cpp: events of one priority.
    struct EventFootprint {
        std::set<std::string> reads, sets;
    };
    struct PrioritisedEvent {
        std::string label, priority;
        EventFootprint footprint;
    };
    void ReadIds(const ASTNode* math, std::set<std::string>& out) const;
    bool FixedValue(const std::string& id, std::map<std::string, double>& values, int depth) const;
    double FixedMath(const ASTNode* math, std::map<std::string, double>& values, int depth) const;
    std::string PriorityKey(const Event& event) const;
    EventFootprint Footprint(const Event& event) const;
    bool OrderSettled(const Event& event, const std::string& label, const std::string& element);

    const Model& model_;
    std::vector<std::string>& problems_;
    NameTable names_;

    // Look-ups by id, built once: libSBML's own are linear searches.
    std::unordered_map<std::string, const Rule*> rules_;
    std::unordered_map<std::string, const ASTNode*> initialAssignments_;
    std::unordered_map<std::string, const Rule*> algebraicTargets_;
    std::unordered_map<std::string, const FunctionDefinition*> functions_;
    std::unordered_map<std::string, const Compartment*> compartments_;
    std::unordered_map<std::string, const Species*> species_;
    std::unordered_map<std::string, const Parameter*> parameters_;
    std::unordered_map<std::string, const SpeciesReference*> references_;
    std::unordered_map<std::string, const Reaction*> reactions_;
    std::unordered_set<std::string> eventTargets_, reacting_, constantNames_;

    std::unordered_map<std::string, Role> roles_;
    std::unordered_map<std::string, double> sizes_;
    std::unordered_map<std::string, std::pair<double, bool>> initial_;
    std::unordered_map<std::string, std::string> amounts_; // species held as amounts
    std::map<std::string, std::string> sums_;
    std::map<std::string, std::set<std::string>> sumUses_;
    std::map<std::string, Line> rates_;
    std::set<std::string> visiting_, rating_;
    std::vector<Line> constants_, equations_, initialValues_, definitions_, events_;
    std::vector<std::string> eventTargetNames_;
    std::vector<PrioritisedEvent> prioritised_;
    std::string t0_ = "0", tf_ = "10", interval_ = "hr = 0.1", outputList_;
    double startTime_ = 0;
};

// True when `node` holds a rateOf anywhere.
bool HasRateOf(const ASTNode* node);
// True when `text` is a sum or difference outside any brackets.
bool IsSum(const std::string& text);
// `text` bracketed where it follows a coefficient or a sign.
std::string Bracketed(const std::string& text);
std::string SumBracketed(const std::string& text);
// `text` as an operand: numbers and names stand as they are, the rest in brackets.
std::string Operand(const std::string& text);

} // namespace kora::sbml

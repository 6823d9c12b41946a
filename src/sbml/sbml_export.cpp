#ifdef KORA_WITH_SBML
#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <set>

#include <sbml/SBMLTypes.h>

#include "common/nesting_limit.h"
#include "model/error_report.h"
#include "model/krm_parser.h"
#include "model/postfix_words.h"
#include "sbml_exchange.h"
#include "sbml_math_text.h"
#include "sbml_model_import.h"

namespace kora {
namespace {

LIBSBML_CPP_NAMESPACE_USE
using Node = std::unique_ptr<ASTNode>;

Node Leaf(ASTNodeType_t type) {
    return std::make_unique<ASTNode>(type);
}

Node Number(double value) {
    Node node = Leaf(AST_REAL);
    node->setValue(value);
    return node;
}

Node Name(const std::string& name) {
    Node node = Leaf(AST_NAME);
    node->setName(name.c_str());
    return node;
}

Node Apply(ASTNodeType_t type, Node a, Node b = nullptr) {
    Node node = Leaf(type);
    node->addChild(a.release());
    if (b) node->addChild(b.release());
    return node;
}

bool IsTimeSetting(const std::string& name) {
    return name == "t0" || name == "tf" || name == "hr" || name == "Npoints";
}

// flag[x] is 1 where x > 0, else 0.
Node Flag(Node x) {
    Node node = Leaf(AST_FUNCTION_PIECEWISE);
    node->addChild(Number(1).release());
    node->addChild(Apply(AST_RELATIONAL_GT, std::move(x), Number(0)).release());
    node->addChild(Number(0).release());
    return node;
}

Node Function(int32_t number, Node x) {
    static const ASTNodeType_t kTypes[] = {AST_FUNCTION_ABS,     AST_FUNCTION_ARCTAN,
                                           AST_FUNCTION_COS,     AST_FUNCTION_EXP,
                                           AST_FUNCTION_LN,      AST_FUNCTION_SIN,
                                           AST_FUNCTION_ROOT,    AST_FUNCTION_LOG,
                                           AST_UNKNOWN,          AST_UNKNOWN,
                                           AST_FUNCTION_FLOOR,   AST_FUNCTION_TAN,
                                           AST_FUNCTION_SEC,     AST_FUNCTION_CSC,
                                           AST_FUNCTION_COT,     AST_FUNCTION_SINH,
                                           AST_FUNCTION_COSH,    AST_FUNCTION_TANH,
                                           AST_FUNCTION_SECH,    AST_FUNCTION_CSCH,
                                           AST_FUNCTION_COTH,    AST_FUNCTION_ARCSIN,
                                           AST_FUNCTION_ARCCOS,  AST_FUNCTION_ARCTAN,
                                           AST_FUNCTION_ARCSEC,  AST_FUNCTION_ARCCSC,
                                           AST_FUNCTION_ARCCOT,  AST_FUNCTION_ARCSINH,
                                           AST_FUNCTION_ARCCOSH, AST_FUNCTION_ARCTANH,
                                           AST_FUNCTION_ARCSECH, AST_FUNCTION_ARCCSCH,
                                           AST_FUNCTION_ARCCOTH, AST_FUNCTION_FACTORIAL,
                                           AST_FUNCTION_CEILING};
    static_assert(sizeof(kTypes) / sizeof(kTypes[0]) == kFunctionCount);
    if (number == 9) return Flag(std::move(x));
    if (number == 8) return Apply(AST_FUNCTION_LOG, Number(10), std::move(x)); // base first
    if (number < 1 || number > kFunctionCount || kTypes[number - 1] == AST_UNKNOWN) return nullptr;
    return Apply(kTypes[number - 1], std::move(x));
}

Node Operand(const KRMparser& model, int32_t word, int32_t index) {
    if (word == kWordVariable) return Name(model.equations[index].name);
    if (word == kWordDefinition) return Name(model.definitions[index].name);
    if (word == kWordTime) return Leaf(AST_NAME_TIME);
    const Statement& constant = model.constants[index];
    if (constant.name == "_pi") return Leaf(AST_CONSTANT_PI);
    if (constant.name.empty() || constant.name[0] == '_' || IsTimeSetting(constant.name))
        return Number(constant.value);
    return Name(constant.name);
}

constexpr int32_t kFlagWord = 9;

// How deeply the postfix code nests (in MathML elements): libSBML copies, checks and writes
// math recursively, so deeper trees are refused before they are built.
int NestingDepth(const std::vector<int32_t>& code) {
    std::vector<int> depths;
    int deepest = 0;
    for (size_t i = 0; i < code.size() && code[i] != kWordEnd; ++i) {
        const int32_t word = code[i];
        if (WordHasOperand(word)) ++i;
        if (WordOutputs(word) == 0) continue;
        const size_t inputs = static_cast<size_t>(WordInputs(word));
        if (depths.size() < inputs) return 0;
        int depth = 0;
        for (size_t k = 0; k < inputs; ++k)
            depth = std::max(depth, depths[depths.size() - 1 - k]);
        depths.resize(depths.size() - inputs);
        // A piecewise holds its values in pieces; flag[] is written as one.
        if (word == kWordSelect)
            depth += 2;
        else if (word == kFlagWord)
            depth += 3;
        else if (word != kWordNoPiece)
            depth += 1;
        deepest = std::max(deepest, depth);
        depths.push_back(depth);
    }
    return deepest;
}

// Relational and logical words; the rest of the words past kWordPower are
// handled one by one.
ASTNodeType_t ConditionType(int32_t word) {
    static const ASTNodeType_t kTypes[] = {
        AST_RELATIONAL_LT, AST_RELATIONAL_LEQ, AST_RELATIONAL_GT, AST_RELATIONAL_GEQ,
        AST_RELATIONAL_EQ, AST_RELATIONAL_NEQ, AST_LOGICAL_AND,   AST_LOGICAL_OR,
        AST_LOGICAL_XOR,   AST_LOGICAL_NOT};
    if (word < kWordLess || word > kWordNot) return AST_UNKNOWN;
    return kTypes[word - kWordLess];
}

// Two-argument words past kWordPower; AST_UNKNOWN for any other word.
ASTNodeType_t PairType(int32_t word) {
    switch (word) {
    case kWordImplies:
        return AST_LOGICAL_IMPLIES;
    case kWordMin:
        return AST_FUNCTION_MIN;
    case kWordMax:
        return AST_FUNCTION_MAX;
    case kWordQuotient:
        return AST_FUNCTION_QUOTIENT;
    case kWordRem:
        return AST_FUNCTION_REM;
    case kWordRoot: // degree, then the radicand
        return AST_FUNCTION_ROOT;
    case kWordLogBase: // base, then the argument
        return AST_FUNCTION_LOG;
    default:
        return word == kWordNot ? AST_UNKNOWN : ConditionType(word);
    }
}

// One piece of a conditional: value, condition, then the rest (a missing
// otherwise is an AST_UNKNOWN leaf and is left out).
Node Piecewise(Node condition, Node value, Node rest) {
    Node node = Leaf(AST_FUNCTION_PIECEWISE);
    node->addChild(value.release());
    node->addChild(condition.release());
    if (rest->getType() != AST_UNKNOWN) node->addChild(rest.release());
    return node;
}

// The postfix code of a right side as a MathML tree; null for rand[].
Node Decompile(const KRMparser& model, const std::vector<int32_t>& code) {
    std::vector<Node> stack;
    for (size_t i = 0; i < code.size() && code[i] != kWordEnd; ++i) {
        const int32_t word = code[i];
        if (word >= kWordConstant && word <= kWordTime) {
            stack.push_back(Operand(model, word, code[++i]));
            continue;
        }
        if (word == kWordBranch || word == kWordSkip) { // the tree needs no jumps
            ++i;
            continue;
        }
        if (word == kWordNoPiece) {
            ++i;
            stack.push_back(Leaf(AST_UNKNOWN));
            continue;
        }
        if (stack.size() < static_cast<size_t>(WordInputs(word))) return nullptr;
        if (word == kWordSelect) {
            Node rest = std::move(stack.back());
            stack.pop_back();
            Node value = std::move(stack.back());
            stack.pop_back();
            Node condition = std::move(stack.back());
            stack.pop_back();
            stack.push_back(Piecewise(std::move(condition), std::move(value), std::move(rest)));
            continue;
        }
        if (stack.empty()) return nullptr;
        Node top = std::move(stack.back());
        stack.pop_back();
        if (word == kWordNegate || word == kWordNot) {
            stack.push_back(
                Apply(word == kWordNegate ? AST_MINUS : AST_LOGICAL_NOT, std::move(top)));
            continue;
        }
        if (word < kWordConstant) {
            Node applied = Function(word, std::move(top));
            if (!applied) return nullptr;
            stack.push_back(std::move(applied));
            continue;
        }
        if (stack.empty()) return nullptr;
        static const ASTNodeType_t kBinary[] = {AST_PLUS, AST_MINUS, AST_TIMES, AST_DIVIDE,
                                                AST_POWER};
        const ASTNodeType_t type =
            word >= kWordAdd && word <= kWordPower ? kBinary[word - kWordAdd] : PairType(word);
        if (type == AST_UNKNOWN) return nullptr;
        Node left = std::move(stack.back());
        stack.pop_back();
        stack.push_back(Apply(type, std::move(left), std::move(top)));
    }
    return stack.size() == 1 ? std::move(stack.back()) : nullptr;
}

class Exporter {
public:
    Exporter(const KRMparser& model, std::vector<std::string>& problems)
        : model_(model), problems_(problems), document_(3, 2) {}

    bool Export(std::string& xml) {
        sbml_ = document_.createModel();
        for (const auto* list : {&model_.constants, &model_.equations, &model_.definitions})
            for (const Statement& s : *list)
                taken_.insert(s.name);
        sbml_->setId(FreeId("model"));
        if (!model_.title.empty()) sbml_->setName(model_.title);
        AddCompartment();
        for (const Statement& event : model_.events)
            targets_.insert(event.name);
        for (const ModelEvent& event : model_.stateEvents)
            for (const EventSetting& setting : event.assignments)
                targets_.insert(setting.name);
        TimedCode();
        FollowingConstants();
        Constants();
        Equations();
        Definitions();
        Events();
        TimeSettings();
        if (!problems_.empty()) return false;
        // The model text has no units: their checks would only cost time
        // (they grow faster than the model); every other check stays.
        document_.setConsistencyChecks(LIBSBML_CAT_UNITS_CONSISTENCY, false);
        document_.checkConsistency();
        const SBMLErrorLog* log = document_.getErrorLog();
        for (unsigned i = 0; i < log->getNumErrors(); ++i)
            if (log->getError(i)->isError() || log->getError(i)->isFatal())
                problems_.push_back(log->getError(i)->getMessage());
        if (!problems_.empty()) return false;
        char* text = writeSBMLToString(&document_);
        xml = text ? text : "";
        free(text);
        return !xml.empty();
    }

private:
    // `wanted`, or with "_" appended until no name of the model has it.
    std::string FreeId(std::string wanted) {
        while (taken_.count(wanted))
            wanted += "_";
        taken_.insert(wanted);
        return wanted;
    }

    void AddCompartment() {
        compartment_ = FreeId("compartment");
        LIBSBML_CPP_NAMESPACE_QUALIFIER Compartment* c = sbml_->createCompartment();
        c->setId(compartment_);
        c->setSize(1);
        c->setConstant(true);
        c->setSpatialDimensions(3.0);
    }

    bool SetMath(const std::vector<int32_t>& code, const std::string& name, Node& math) {
        if (NestingDepth(code) > kMaxNestingDepth) {
            problems_.push_back(name + ": the expression is nested more than " +
                                std::to_string(kMaxNestingDepth) + " levels deep");
            return false;
        }
        math = Decompile(model_, code);
        if (!math) problems_.push_back(name + ": rand[] has no SBML counterpart");
        return math != nullptr;
    }

    // Constants that a timed assignment changes make the constants defined
    // from them (later in the text) follow: those follow as assignment rules.
    void FollowingConstants() {
        std::set<std::string> changing = targets_;
        for (const Statement& c : model_.constants) {
            if (c.name.empty() || c.name[0] == '_' || IsTimeSetting(c.name)) continue;
            if (targets_.count(c.name)) continue;
            for (const std::string& name : NamesIn(c.text.substr(c.start)))
                if (changing.count(name) && name != c.name) {
                    following_.insert(c.name);
                    changing.insert(c.name);
                    break;
                }
        }
        // Compiling interns numbers, which may grow the constant list: by index.
        KRMparser& model = const_cast<KRMparser&>(model_);
        for (size_t i = 0; i < model.constants.size(); ++i) {
            if (!following_.count(model.constants[i].name)) continue;
            const std::string text = model.constants[i].text;
            const int32_t start = model.constants[i].start;
            double value = 0;
            std::vector<int32_t>& code = followingCode_[model.constants[i].name];
            if (model.Compile(kModeGeneral, text, start, value, &code, nullptr, false) == 0)
                problems_.push_back(model.constants[i].name + ": its definition cannot be read");
        }
    }

    static std::set<std::string> NamesIn(const std::string& text) {
        std::set<std::string> names;
        for (size_t i = 0; i < text.size();) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (!std::isalpha(c) && c != '_') {
                // A number's digits and exponent are not names.
                if (std::isdigit(c) || c == '.') {
                    while (i < text.size() &&
                           (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '.'))
                        ++i;
                    continue;
                }
                ++i;
                continue;
            }
            size_t end = i;
            while (end < text.size() &&
                   (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
                ++end;
            names.insert(text.substr(i, end - i));
            i = end;
        }
        return names;
    }

    void Constants() {
        for (const Statement& c : model_.constants) {
            if (c.name.empty() || c.name[0] == '_' || IsTimeSetting(c.name)) continue;
            Parameter* p = sbml_->createParameter();
            p->setId(c.name);
            p->setValue(c.value);
            p->setConstant(targets_.count(c.name) == 0 && following_.count(c.name) == 0);
            if (following_.count(c.name)) FollowingRule(c);
        }
    }

    void FollowingRule(const Statement& c) {
        Node math;
        if (!SetMath(followingCode_[c.name], c.name, math)) return;
        AssignmentRule* rule = sbml_->createAssignmentRule();
        rule->setVariable(c.name);
        rule->setMath(math.get());
    }

    void Equations() {
        for (const Statement& e : model_.equations) {
            LIBSBML_CPP_NAMESPACE_QUALIFIER Species* s = sbml_->createSpecies();
            s->setId(e.name);
            s->setCompartment(compartment_);
            s->setInitialAmount(e.value);
            s->setHasOnlySubstanceUnits(true);
            s->setBoundaryCondition(false);
            s->setConstant(false);
            Node math;
            if (!SetMath(e.code, e.name, math)) continue;
            RateRule* rule = sbml_->createRateRule();
            rule->setVariable(e.name);
            rule->setMath(math.get());
        }
    }

    void Definitions() {
        for (const Statement& d : model_.definitions) {
            Parameter* p = sbml_->createParameter();
            p->setId(d.name);
            p->setConstant(false);
            Node math;
            if (!SetMath(d.code, d.name, math)) continue;
            AssignmentRule* rule = sbml_->createAssignmentRule();
            rule->setVariable(d.name);
            rule->setMath(math.get());
        }
    }

    void Events() {
        if (model_.backward && (!model_.events.empty() || !model_.stateEvents.empty()))
            problems_.push_back("events of a run backward in time are not exported");
        TimedEvents();
        for (const ModelEvent& e : model_.stateEvents)
            StateEvent(e);
    }

    // One SBML event per "@" line of timed assignments, marked so that
    // import gives back timed assignments.
    void TimedEvents() {
        for (size_t i = 0; i < model_.events.size();) {
            const Statement& first = model_.events[i];
            Event* event = NewEvent(true, true, true);
            event->appendAnnotation(std::string("<annotation><kora:") +
                                    sbml::kTimedAssignmentElement + " xmlns:kora=\"" +
                                    sbml::kTimeSettingsUri + "\"/></annotation>");
            Node when = Apply(AST_RELATIONAL_GEQ, Leaf(AST_NAME_TIME), Number(first.eventTime));
            event->getTrigger()->setMath(when.get());
            for (; i < model_.events.size() && model_.events[i].eventTime == first.eventTime &&
                   model_.events[i].eventGroup == first.eventGroup;
                 ++i)
                Assign(*event, model_.events[i].name, timedCode_[i]);
        }
    }

    Event* NewEvent(bool persistent, bool initialValue, bool valuesAtTrigger) {
        Event* event = sbml_->createEvent();
        event->setId(FreeId("event_" + std::to_string(sbml_->getNumEvents())));
        event->setUseValuesFromTriggerTime(valuesAtTrigger);
        Trigger* trigger = event->createTrigger();
        trigger->setInitialValue(initialValue);
        trigger->setPersistent(persistent);
        return event;
    }

    void Assign(Event& event, const std::string& name, const std::vector<int32_t>& code) {
        Node value;
        if (!SetMath(code, name, value)) return;
        EventAssignment* assignment = event.createEventAssignment();
        assignment->setVariable(name);
        assignment->setMath(value.get());
    }

    void StateEvent(const ModelEvent& e) {
        Event* event = NewEvent(e.persistent, e.initialValue, e.valuesAtTrigger);
        Node trigger;
        if (!SetMath(e.trigger, "event '" + e.text + "'", trigger)) return;
        if (trigger) event->getTrigger()->setMath(trigger.get());
        Node math;
        if (!e.delay.empty() && SetMath(e.delay, "event '" + e.text + "'", math))
            event->createDelay()->setMath(math.get());
        if (!e.priority.empty() && SetMath(e.priority, "event '" + e.text + "'", math))
            event->createPriority()->setMath(math.get());
        for (const EventSetting& setting : e.assignments)
            Assign(*event, setting.name, setting.code);
    }

    // The right sides of timed assignments: a constant one is computed again
    // from the constants' values when it happens, as SBML does.
    void TimedCode() {
        KRMparser& model = const_cast<KRMparser&>(model_);
        timedCode_.resize(model.events.size());
        for (size_t i = 0; i < model.events.size(); ++i) {
            if (!model.events[i].code.empty()) {
                timedCode_[i] = model.events[i].code;
                continue;
            }
            const std::string text = model.events[i].text;
            double value = 0;
            if (model.Compile(kModeGeneral, text, model.events[i].start, value, &timedCode_[i],
                              nullptr, false) == 0)
                problems_.push_back(text + ": cannot be read again");
        }
    }

    // A span of no length has no report interval: its number of points goes.
    std::string Interval() const {
        if (model_.hr > 0) return "hr=\"" + sbml::NumberText(model_.hr) + "\"";
        return "Npoints=\"" + std::to_string(model_.nPoints) + "\"";
    }

    void TimeSettings() {
        // The build mirrors a backward run's final time; the text's own is wanted.
        const double tf = model_.backward ? 2 * model_.t0 - model_.tf : model_.tf;
        const std::string element = std::string("<") + "kora:" + sbml::kTimeSettingsElement +
                                    " xmlns:kora=\"" + sbml::kTimeSettingsUri + "\" t0=\"" +
                                    sbml::NumberText(model_.t0) + "\" tf=\"" +
                                    sbml::NumberText(tf) + "\" " + Interval() + "/>";
        sbml_->appendAnnotation("<annotation>" + element + "</annotation>");
    }

    const KRMparser& model_;
    std::vector<std::string>& problems_;
    SBMLDocument document_;
    LIBSBML_CPP_NAMESPACE_QUALIFIER Model* sbml_ = nullptr;
    std::string compartment_;
    std::set<std::string> targets_, following_, taken_;
    std::map<std::string, std::vector<int32_t>> followingCode_;
    std::vector<std::vector<int32_t>> timedCode_;
};

} // namespace

SbmlStatus ExportSbml(const TextLines& editorLines, std::string& xml,
                      std::vector<std::string>& problems) {
    xml.clear();
    const TextLines modelLines = ExtractModelLines(editorLines, true).modelLines;
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model(&form, &sink);
    model.Build(modelLines);
    if (sink.code != 0) {
        problems = ErrorReportLines(sink, "");
        return SbmlStatus::Invalid;
    }
    Exporter exporter(model, problems);
    return exporter.Export(xml) ? SbmlStatus::Ok : SbmlStatus::Unconvertible;
}

} // namespace kora
#endif

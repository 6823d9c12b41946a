#ifdef KORA_WITH_SBML
#include <memory>
#include <set>

#include <sbml/SBMLTypes.h>

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
        sbml_->setId("model");
        if (!model_.title.empty()) sbml_->setName(model_.title);
        AddCompartment();
        for (const Statement& event : model_.events)
            targets_.insert(event.name);
        Constants();
        Equations();
        Definitions();
        Events();
        TimeSettings();
        if (!problems_.empty()) return false;
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
    void AddCompartment() {
        std::set<std::string> names;
        for (const auto* list : {&model_.constants, &model_.equations, &model_.definitions})
            for (const Statement& s : *list)
                names.insert(s.name);
        compartment_ = "compartment";
        while (names.count(compartment_))
            compartment_ += "_";
        LIBSBML_CPP_NAMESPACE_QUALIFIER Compartment* c = sbml_->createCompartment();
        c->setId(compartment_);
        c->setSize(1);
        c->setConstant(true);
        c->setSpatialDimensions(3.0);
    }

    bool SetMath(const std::vector<int32_t>& code, const std::string& name, Node& math) {
        math = Decompile(model_, code);
        if (!math) problems_.push_back(name + ": rand[] has no SBML counterpart");
        return math != nullptr;
    }

    void Constants() {
        for (const Statement& c : model_.constants) {
            if (c.name.empty() || c.name[0] == '_' || IsTimeSetting(c.name)) continue;
            Parameter* p = sbml_->createParameter();
            p->setId(c.name);
            p->setValue(c.value);
            p->setConstant(targets_.count(c.name) == 0);
        }
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
        if (model_.backward && !model_.events.empty())
            problems_.push_back("timed assignments of a run backward in time are not exported");
        // Not written yet: refused rather than silently left out.
        if (!model_.stateEvents.empty())
            problems_.push_back("events triggered by a condition are not exported");
        int number = 0;
        for (const Statement& e : model_.events) {
            Event* event = sbml_->createEvent();
            event->setId("event_" + std::to_string(++number));
            event->setUseValuesFromTriggerTime(true);
            Trigger* trigger = event->createTrigger();
            trigger->setInitialValue(false);
            trigger->setPersistent(true);
            Node when = Apply(AST_RELATIONAL_GEQ, Leaf(AST_NAME_TIME), Number(e.eventTime));
            trigger->setMath(when.get());
            EventAssignment* assignment = event->createEventAssignment();
            assignment->setVariable(e.name);
            // A value of the state is written as its expression.
            Node value;
            if (e.code.empty())
                value = Number(e.value);
            else if (!SetMath(e.code, e.name, value))
                continue;
            assignment->setMath(value.get());
        }
    }

    void TimeSettings() {
        // The build mirrors a backward run's final time; the text's own is wanted.
        const double tf = model_.backward ? 2 * model_.t0 - model_.tf : model_.tf;
        const std::string element =
            std::string("<") + "kora:" + sbml::kTimeSettingsElement + " xmlns:kora=\"" +
            sbml::kTimeSettingsUri + "\" t0=\"" + sbml::NumberText(model_.t0) + "\" tf=\"" +
            sbml::NumberText(tf) + "\" hr=\"" + sbml::NumberText(model_.hr) + "\"/>";
        sbml_->appendAnnotation("<annotation>" + element + "</annotation>");
    }

    const KRMparser& model_;
    std::vector<std::string>& problems_;
    SBMLDocument document_;
    LIBSBML_CPP_NAMESPACE_QUALIFIER Model* sbml_ = nullptr;
    std::string compartment_;
    std::set<std::string> targets_;
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

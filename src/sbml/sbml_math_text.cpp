#ifdef KORA_WITH_SBML
#include "sbml_math_text.h"

#include <charconv>
#include <cmath>
#include <utility>
#include <vector>

namespace kora::sbml {
namespace {

LIBSBML_CPP_NAMESPACE_USE

// Binding strength of a written operand, weakest first.
enum Level { kCondition = 0, kSum = 1, kProduct = 2, kPower = 4, kAtom = 5 };

struct Piece {
    std::string text;
    int level = kAtom;
    bool negated = false; // begins with a unary minus
};

std::string Wrapped(const Piece& piece, int atLeast) {
    const bool needs = piece.level < atLeast || (piece.negated && atLeast > kSum);
    return needs ? "(" + piece.text + ")" : piece.text;
}

class Writer {
public:
    Writer(const NameLookup& names, std::string& why) : names_(names), why_(why) {}

    bool Write(const ASTNode* node, Piece& out) {
        if (node == nullptr) return Fail("empty math");
        switch (node->getType()) {
        case AST_INTEGER:
            return Number(static_cast<double>(node->getInteger()), out);
        case AST_REAL:
        case AST_REAL_E:
        case AST_RATIONAL:
        case AST_NAME_AVOGADRO:
            return Number(node->getReal(), out);
        case AST_NAME: {
            const std::string name = names_(node->getName() ? node->getName() : "");
            if (name.empty()) return Fail(std::string("identifier '") + node->getName() + "'");
            out = {name, kAtom, false};
            return true;
        }
        case AST_NAME_TIME: {
            // A lookup may give the time a value of its own (the start time).
            const std::string time = names_(kTimeId);
            out = {time.empty() ? "_time" : time, kAtom, false};
            return true;
        }
        case AST_CONSTANT_PI:
            out = {"_pi", kAtom, false};
            return true;
        case AST_CONSTANT_E:
            out = {"exp[1]", kAtom, false};
            return true;
        case AST_PLUS:
            return Sum(node, out);
        case AST_MINUS:
            return Minus(node, out);
        case AST_TIMES:
            return Product(node, out);
        case AST_DIVIDE:
            return Divide(node, out);
        case AST_POWER:
        case AST_FUNCTION_POWER:
            return Power(node, out);
        case AST_FUNCTION_ROOT:
            return Root(node, out);
        case AST_FUNCTION_LOG:
            return Log(node, out);
        case AST_FUNCTION_MAX:
            return Listed("max", node, out);
        case AST_FUNCTION_MIN:
            return Listed("min", node, out);
        case AST_FUNCTION_QUOTIENT:
            return Listed("quotient", node, out);
        case AST_FUNCTION_REM:
            return Listed("rem", node, out);
        case AST_CONSTANT_TRUE:
        case AST_CONSTANT_FALSE:
            return Number(node->getType() == AST_CONSTANT_TRUE ? 1 : 0, out);
        case AST_RELATIONAL_LT:
        case AST_RELATIONAL_LEQ:
        case AST_RELATIONAL_GT:
        case AST_RELATIONAL_GEQ:
        case AST_RELATIONAL_EQ:
        case AST_RELATIONAL_NEQ:
            return Relation(node, out);
        case AST_LOGICAL_AND:
        case AST_LOGICAL_OR:
        case AST_LOGICAL_XOR:
        case AST_LOGICAL_NOT:
        case AST_LOGICAL_IMPLIES:
            return Logical(node, out);
        case AST_FUNCTION_PIECEWISE:
            return Listed("piecewise", node, out);
        default:
            return Function(node, out);
        }
    }

private:
    bool Fail(const std::string& why) {
        why_ = why;
        return false;
    }

    bool Number(double value, Piece& out) {
        if (!std::isfinite(value)) return Fail("a number that is not finite");
        out.text = NumberText(value);
        out.negated = out.text[0] == '-';
        out.level = out.negated ? kSum : kAtom;
        return true;
    }

    bool Children(const ASTNode* node, std::vector<Piece>& pieces) {
        pieces.resize(node->getNumChildren());
        for (unsigned i = 0; i < node->getNumChildren(); ++i)
            if (!Write(node->getChild(i), pieces[i])) return false;
        return true;
    }

    bool Sum(const ASTNode* node, Piece& out) {
        std::vector<Piece> p;
        if (!Children(node, p)) return false;
        if (p.empty()) return Number(0, out);
        if (p.size() == 1) return (out = p[0], true);
        out = {Wrapped(p[0], kSum), kSum, p[0].negated};
        for (size_t i = 1; i < p.size(); ++i)
            out.text += " + " + Wrapped(p[i], p[i].negated ? kProduct : kSum);
        return true;
    }

    bool Minus(const ASTNode* node, Piece& out) {
        std::vector<Piece> p;
        if (!Children(node, p)) return false;
        if (p.size() == 1) {
            out = {"-" + Wrapped(p[0], kProduct), kSum, true};
            return true;
        }
        if (p.size() != 2) return Fail("minus with " + std::to_string(p.size()) + " operands");
        out = {Wrapped(p[0], kSum) + " - " + Wrapped(p[1], kProduct), kSum, p[0].negated};
        return true;
    }

    bool Product(const ASTNode* node, Piece& out) {
        std::vector<Piece> p;
        if (!Children(node, p)) return false;
        if (p.empty()) return Number(1, out);
        if (p.size() == 1) return (out = p[0], true);
        out = {Wrapped(p[0], kProduct), kProduct, false};
        for (size_t i = 1; i < p.size(); ++i)
            out.text += "*" + Wrapped(p[i], kProduct);
        return true;
    }

    bool Divide(const ASTNode* node, Piece& out) {
        std::vector<Piece> p;
        if (!Children(node, p)) return false;
        if (p.size() != 2) return Fail("divide with " + std::to_string(p.size()) + " operands");
        out = {Wrapped(p[0], kProduct) + "/" + Wrapped(p[1], kPower), kProduct, false};
        return true;
    }

    bool Power(const ASTNode* node, Piece& out) {
        std::vector<Piece> p;
        if (!Children(node, p)) return false;
        if (p.size() != 2) return Fail("power with " + std::to_string(p.size()) + " operands");
        // "^" groups to the left, so a power may stand as a base unbracketed.
        out = {Wrapped(p[0], kPower) + "^" + Wrapped(p[1], kAtom), kPower, false};
        return true;
    }

    bool Root(const ASTNode* node, Piece& out) {
        std::vector<Piece> p;
        if (!Children(node, p)) return false;
        if (p.size() == 1 || (p.size() == 2 && p[0].text == "2")) {
            out = {"sqrt[" + p.back().text + "]", kAtom, false};
            return true;
        }
        if (p.size() != 2) return Fail("root with " + std::to_string(p.size()) + " operands");
        out = {"root[" + p[0].text + ", " + p[1].text + "]", kAtom, false};
        return true;
    }

    bool Log(const ASTNode* node, Piece& out) {
        std::vector<Piece> p;
        if (!Children(node, p)) return false;
        if (p.size() == 1 || (p.size() == 2 && p[0].text == "10")) {
            out = {"log[" + p.back().text + "]", kAtom, false};
            return true;
        }
        if (p.size() != 2) return Fail("log with " + std::to_string(p.size()) + " operands");
        out = {"log[" + p[0].text + ", " + p[1].text + "]", kAtom, false};
        return true;
    }

    static const char* RelationText(ASTNodeType_t type) {
        switch (type) {
        case AST_RELATIONAL_LT:
            return " < ";
        case AST_RELATIONAL_LEQ:
            return " <= ";
        case AST_RELATIONAL_GT:
            return " > ";
        case AST_RELATIONAL_GEQ:
            return " >= ";
        case AST_RELATIONAL_EQ:
            return " == ";
        default:
            return " != ";
        }
    }

    // Relations bind below "+" and "-"; a chain a < b < c holds pairwise.
    bool Relation(const ASTNode* node, Piece& out) {
        std::vector<Piece> p;
        if (!Children(node, p)) return false;
        if (p.size() < 2) return Fail("a comparison of fewer than two values");
        const char* relation = RelationText(node->getType());
        std::vector<std::string> pairs;
        for (size_t i = 0; i + 1 < p.size(); ++i)
            pairs.push_back(Wrapped(p[i], kSum) + relation + Wrapped(p[i + 1], kSum));
        if (pairs.size() == 1) {
            out = {pairs[0], kCondition, false};
            return true;
        }
        out = {"and[" + Joined(pairs) + "]", kAtom, false};
        return true;
    }

    bool Logical(const ASTNode* node, Piece& out) {
        std::vector<Piece> p;
        if (!Children(node, p)) return false;
        std::vector<std::string> args;
        for (const Piece& piece : p)
            args.push_back(piece.text);
        switch (node->getType()) {
        case AST_LOGICAL_NOT:
            if (args.size() != 1)
                return Fail("not with " + std::to_string(args.size()) + " operands");
            out = {"not[" + args[0] + "]", kAtom, false};
            return true;
        case AST_LOGICAL_IMPLIES:
            if (args.size() != 2)
                return Fail("implies with " + std::to_string(args.size()) + " operands");
            out = {"implies[" + args[0] + ", " + args[1] + "]", kAtom, false};
            return true;
        default:
            break;
        }
        // With no operands, and is true, or and xor false.
        if (args.empty()) return Number(node->getType() == AST_LOGICAL_AND ? 1 : 0, out);
        const char* name = node->getType() == AST_LOGICAL_AND  ? "and"
                           : node->getType() == AST_LOGICAL_OR ? "or"
                                                               : "xor";
        out = {std::string(name) + "[" + Joined(args) + "]", kAtom, false};
        return true;
    }

    // name[a, b, ...] with every child an argument.
    bool Listed(const char* name, const ASTNode* node, Piece& out) {
        std::vector<Piece> p;
        if (!Children(node, p)) return false;
        std::vector<std::string> args;
        for (const Piece& piece : p)
            args.push_back(piece.text);
        out = {std::string(name) + "[" + Joined(args) + "]", kAtom, false};
        return true;
    }

    static std::string Joined(const std::vector<std::string>& items) {
        std::string text;
        for (const std::string& item : items)
            text += (text.empty() ? "" : ", ") + item;
        return text;
    }

    // The functions of one argument, by their MathML element.
    static const char* FunctionName(ASTNodeType_t type) {
        static const std::pair<ASTNodeType_t, const char*> kNames[] = {
            {AST_FUNCTION_ABS, "abs"},         {AST_FUNCTION_EXP, "exp"},
            {AST_FUNCTION_LN, "ln"},           {AST_FUNCTION_FLOOR, "floor"},
            {AST_FUNCTION_CEILING, "ceiling"}, {AST_FUNCTION_FACTORIAL, "factorial"},
            {AST_FUNCTION_SIN, "sin"},         {AST_FUNCTION_COS, "cos"},
            {AST_FUNCTION_TAN, "tan"},         {AST_FUNCTION_SEC, "sec"},
            {AST_FUNCTION_CSC, "csc"},         {AST_FUNCTION_COT, "cot"},
            {AST_FUNCTION_SINH, "sinh"},       {AST_FUNCTION_COSH, "cosh"},
            {AST_FUNCTION_TANH, "tanh"},       {AST_FUNCTION_SECH, "sech"},
            {AST_FUNCTION_CSCH, "csch"},       {AST_FUNCTION_COTH, "coth"},
            {AST_FUNCTION_ARCSIN, "arcsin"},   {AST_FUNCTION_ARCCOS, "arccos"},
            {AST_FUNCTION_ARCTAN, "atan"},     {AST_FUNCTION_ARCSEC, "arcsec"},
            {AST_FUNCTION_ARCCSC, "arccsc"},   {AST_FUNCTION_ARCCOT, "arccot"},
            {AST_FUNCTION_ARCSINH, "arcsinh"}, {AST_FUNCTION_ARCCOSH, "arccosh"},
            {AST_FUNCTION_ARCTANH, "arctanh"}, {AST_FUNCTION_ARCSECH, "arcsech"},
            {AST_FUNCTION_ARCCSCH, "arccsch"}, {AST_FUNCTION_ARCCOTH, "arccoth"}};
        for (const auto& [known, name] : kNames)
            if (known == type) return name;
        return nullptr;
    }

    bool Function(const ASTNode* node, Piece& out) {
        const char* name = FunctionName(node->getType());
        // A csymbol's text is the author's; the construct has its own name.
        if (node->getType() == AST_FUNCTION_DELAY) return Fail("'delay'");
        if (node->getType() == AST_FUNCTION_RATE_OF) return Fail("'rateOf'");
        if (name == nullptr) {
            const char* what = node->getName();
            if (what == nullptr) what = node->getOperatorName();
            return Fail(std::string("'") + (what ? what : "unknown") + "'");
        }
        std::vector<Piece> p;
        if (!Children(node, p)) return false;
        if (p.size() != 1) return Fail(std::string(name) + " with several arguments");
        out = {std::string(name) + "[" + p[0].text + "]", kAtom, false};
        return true;
    }

    const NameLookup& names_;
    std::string& why_;
};

} // namespace

std::string NumberText(double value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

bool MathToText(const ASTNode* node, const NameLookup& names, std::string& text, std::string& why) {
    Writer writer(names, why);
    Piece piece;
    if (!writer.Write(node, piece)) return false;
    text = piece.text;
    return true;
}

} // namespace kora::sbml
#endif

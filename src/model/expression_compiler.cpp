// Compile: one left-to-right pass over a right side with an explicit operator
// stack, producing its value, postfix code and (in the power-law modes) its
// power-law expression. NextToken splits the text and resolves names.
#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <string>
#include <string_view>

#include "common/nesting_limit.h"
#include "gma_algebra.h"
#include "krm_parser.h"
#include "lexical.h"
#include "math_error.h"
#include "model_functions.h"
#include "postfix_words.h"

namespace kora {
namespace {

// Kinds of the records on the compile stack.
enum StackKind : int32_t {
    kStackBottom = 0,
    kStackFinished = 1,
    kStackOperand = 2,
    kStackOpenParen = 3,
    kStackUnaryMinus = 4,
    kStackPlus = 5,
    kStackMinus = 6,
    kStackTimes = 7,
    kStackDivide = 8,
    kStackPower = 9,
    kStackOpenFunction = 10,
};

constexpr int kCodeEndOfLine = 1;
constexpr int kCodeUnexpected = 2;
constexpr int kCodeInvalidName = 3;
constexpr int kCodeParenMissing = 7;
constexpr int kCodeBracketMissing = 8;
constexpr int kCodeOverflow = 12;
constexpr int kCodeDivisionByZero = 13;
constexpr int kCodeFunctionError = 15;
constexpr int kCodeUnderflow = 16;
constexpr int kCodePowerError = 17;
constexpr int kCodeNestedTooDeeply = 30;

bool StartsOperand(int32_t kind) {
    switch (kind) {
    case kTokenNumber:
    case kTokenConstant:
    case kTokenVariable:
    case kTokenDefinition:
    case kTokenOpen:
    case kTokenFunction:
    case kTokenTime:
        return true;
    default:
        return false;
    }
}

// The first constant of that name that has a value. Names are unique among
// constants except where settings give two predefined names the same text,
// hence the scan on from the first.
int32_t UsableConstant(const std::vector<Statement>& constants, NameIndex& index,
                       std::string_view name) {
    const int32_t first = index.Find(constants, name);
    if (first < 0) return -1;
    for (size_t i = static_cast<size_t>(first); i < constants.size(); ++i)
        if (constants[i].state != kStateUndefined && constants[i].name == name)
            return static_cast<int32_t>(i);
    return -1;
}

using TokenRec = KRMparser::TokenRec;

class ExpressionCompiler {
public:
    ExpressionCompiler(KRMparser& model, int mode, const std::string& text,
                       std::vector<int32_t>* code, bool wantConstancy)
        : model_(model), mode_(mode), text_(text), code_(code), wantConstancy_(wantConstancy) {}

    int Run(int32_t start, double& value, GMAexpression* expr);

private:
    enum class Step { Continue, Failed, NotConstant };

    bool PowerLaw() const { return mode_ != kModeGeneral; }
    Step Fail(int code, const std::string& detail = {});
    Step FailFromRecord();
    Step CheckValue(double value);
    void Emit(int32_t word) {
        if (code_ != nullptr) code_->push_back(word);
    }
    void Emit(int32_t word, int32_t operand) {
        Emit(word);
        Emit(operand);
    }
    TokenRec Pop() {
        TokenRec top = std::move(stack_.back());
        stack_.pop_back();
        return top;
    }
    void PushKind(int32_t kind, int32_t index = 0) {
        TokenRec record;
        record.kind = kind;
        record.index = index;
        stack_.push_back(std::move(record));
        if (stack_.size() > static_cast<size_t>(kMaxNestingDepth)) NoteNesting();
    }
    void NoteNesting();

    Step ReadOperand(const TokenRec& token);
    Step ReadNumber(double number);
    Step ReadConstant(int32_t index);
    Step ReadDefinition(int32_t index);
    Step ReduceOperand(const TokenRec& token, bool& again);
    Step ApplyBinary(int32_t pending, TokenRec left, TokenRec right);
    Step ApplyFunction(int32_t function, TokenRec operand);
    Step PushResult(TokenRec&& operand);

    KRMparser& model_;
    const int mode_;
    const std::string& text_;
    std::vector<int32_t>* code_;
    const bool wantConstancy_;
    bool constant_ = true;
    bool tooDeep_ = false;
    std::vector<TokenRec> stack_;
};

// Every record on the stack that is not an operand is an open level: a
// parenthesis, a function or an operator waiting for its right side. Counted
// only on deep stacks, where it is rare; an operand sits under every binary
// operator at most, so a shallow stack cannot hold too many levels.
void ExpressionCompiler::NoteNesting() {
    const auto levels = std::count_if(stack_.begin() + 1, stack_.end(), [](const TokenRec& r) {
        return r.kind != kStackOperand && r.kind != kStackFinished;
    });
    if (levels > kMaxNestingDepth) tooDeep_ = true;
}

ExpressionCompiler::Step ExpressionCompiler::Fail(int code, const std::string& detail) {
    if (mode_ != kModeQuietPowerLaw) model_.SetError(code, text_, detail);
    return Step::Failed;
}

ExpressionCompiler::Step ExpressionCompiler::FailFromRecord() {
    const MathErrorRecord& record = CurrentMathError();
    switch (record.kind) {
    case MathErrorKind::Overflow:
        return Fail(kCodeOverflow, record.function);
    case MathErrorKind::Underflow:
        return Fail(kCodeUnderflow, record.function);
    default:
        return Fail(std::string_view(record.function) == "pow" ? kCodePowerError
                                                               : kCodeFunctionError,
                    record.function);
    }
}

// The checks made after every step: a recorded mathematical error, then a
// result out of the range of normal doubles.
ExpressionCompiler::Step ExpressionCompiler::CheckValue(double value) {
    if (CurrentMathError().IsSet()) return FailFromRecord();
    double magnitude = std::fabs(value);
    if (magnitude >= DBL_MAX) return Fail(kCodeOverflow);
    if (magnitude != 0.0 && magnitude < DBL_MIN) return Fail(kCodeUnderflow);
    return Step::Continue;
}

ExpressionCompiler::Step ExpressionCompiler::PushResult(TokenRec&& operand) {
    operand.kind = kStackOperand;
    Step step = CheckValue(operand.value);
    stack_.push_back(std::move(operand));
    return step;
}

ExpressionCompiler::Step ExpressionCompiler::ReadNumber(double number) {
    TokenRec operand;
    operand.value = number;
    if (mode_ == kModeGeneral) {
        // Only nameless constants are shared: a number must never follow a
        // named constant that an event changes.
        int32_t index = model_.nameIndexes.numbers.Find(model_.constants, number);
        if (index < 0) {
            Statement interned;
            interned.value = number;
            interned.state = kStateDefined;
            model_.constants.push_back(std::move(interned));
            index = static_cast<int32_t>(model_.constants.size() - 1);
        }
        Emit(kWordConstant, index);
    } else {
        operand.expr = ConstantExpression(number);
    }
    return PushResult(std::move(operand));
}

ExpressionCompiler::Step ExpressionCompiler::ReadConstant(int32_t index) {
    const Statement& constant = model_.constants[index];
    TokenRec operand;
    operand.value = constant.value;
    Emit(kWordConstant, index);
    if (PowerLaw()) {
        operand.expr = constant.valueIndex > 0
                           ? PositionExpression(static_cast<uint32_t>(constant.valueIndex))
                           : ConstantExpression(constant.value);
    }
    return PushResult(std::move(operand));
}

ExpressionCompiler::Step ExpressionCompiler::ReadDefinition(int32_t index) {
    const Statement& definition = model_.definitions[index];
    TokenRec operand;
    operand.value = definition.value;
    if (mode_ == kModeQuietPowerLaw) return Step::Failed;
    if (mode_ == kModePowerLaw) {
        double inlinedValue = 0.0;
        if (model_.Compile(kModeQuietPowerLaw, definition.text, definition.start, inlinedValue,
                           nullptr, &operand.expr, false) == 0)
            return Fail(kCodeInvalidName, definition.name);
    }
    Emit(kWordDefinition, index);
    return PushResult(std::move(operand));
}

ExpressionCompiler::Step ExpressionCompiler::ReadOperand(const TokenRec& token) {
    switch (token.kind) {
    case kTokenNumber:
        return ReadNumber(token.value);
    case kTokenConstant:
        return ReadConstant(token.index);
    case kTokenVariable: {
        if (wantConstancy_) return Step::NotConstant;
        constant_ = false;
        TokenRec operand;
        operand.value = model_.equations[token.index].value;
        if (PowerLaw()) operand.expr = PositionExpression(static_cast<uint32_t>(token.index));
        Emit(kWordVariable, token.index);
        return PushResult(std::move(operand));
    }
    case kTokenDefinition:
        if (wantConstancy_) return Step::NotConstant;
        constant_ = false;
        return ReadDefinition(token.index);
    case kTokenTime: {
        if (wantConstancy_) return Step::NotConstant;
        constant_ = false;
        if (PowerLaw()) return Fail(kCodeInvalidName);
        TokenRec operand;
        operand.value = model_.t0;
        Emit(kWordTime, 0);
        return PushResult(std::move(operand));
    }
    case kTokenFunction:
        if (PowerLaw()) return Fail(kCodeInvalidName);
        PushKind(kStackOpenFunction, token.index);
        return Step::Continue;
    case kTokenMinus:
        PushKind(kStackUnaryMinus);
        return Step::Continue;
    case kTokenPlus:
        return Step::Continue;
    case kTokenOpen:
        PushKind(kStackOpenParen);
        return Step::Continue;
    case kTokenEnd:
        return Fail(kCodeEndOfLine);
    case kTokenUnknown:
        // While constants are being resolved, a name defined further on is
        // not an error yet: the assignment waits for a later pass.
        if (wantConstancy_) return Step::NotConstant;
        return Fail(kCodeUnexpected);
    default:
        return Fail(kCodeUnexpected);
    }
}

ExpressionCompiler::Step ExpressionCompiler::ApplyBinary(int32_t pending, TokenRec left,
                                                         TokenRec right) {
    int algebraCode = 0;
    switch (pending) {
    case kStackPlus:
    case kStackMinus:
        left.value = pending == kStackPlus ? left.value + right.value : left.value - right.value;
        if (PowerLaw()) AddExpression(left.expr, right.expr, pending == kStackMinus);
        Emit(pending == kStackPlus ? kWordAdd : kWordSubtract);
        break;
    case kStackTimes:
        left.value *= right.value;
        if (PowerLaw()) algebraCode = MultiplyExpression(left.expr, right.expr);
        Emit(kWordMultiply);
        break;
    case kStackDivide:
        if (PowerLaw()) algebraCode = DivideExpression(left.expr, right.expr);
        if (algebraCode == 0 && right.value == 0.0) algebraCode = kCodeDivisionByZero;
        if (algebraCode == 0) left.value /= right.value;
        Emit(kWordDivide);
        break;
    case kStackPower: {
        if (PowerLaw()) algebraCode = PowerExpression(left.expr, right.expr);
        if (algebraCode != 0) break;
        bool failed = false;
        left.value = CheckedPower(left.value, right.value, failed);
        Emit(kWordPower);
        break;
    }
    default:
        break;
    }
    if (algebraCode != 0) {
        const MathErrorRecord& record = CurrentMathError();
        return Fail(algebraCode, record.IsSet() ? record.function : "");
    }
    return PushResult(std::move(left));
}

ExpressionCompiler::Step ExpressionCompiler::ApplyFunction(int32_t function, TokenRec operand) {
    bool failed = false;
    operand.value = CallFunction(function, operand.value, model_.random, failed);
    Emit(function);
    return PushResult(std::move(operand));
}

ExpressionCompiler::Step ExpressionCompiler::ReduceOperand(const TokenRec& token, bool& again) {
    const int32_t next = token.kind;
    if (wantConstancy_ && next == kTokenUnknown) return Step::NotConstant;
    TokenRec operand = Pop();
    const int32_t pending = stack_.back().kind;
    again = true;
    if (pending == kStackPower) {
        stack_.pop_back();
        return ApplyBinary(pending, Pop(), std::move(operand));
    }
    if (next == kTokenPower || next == kTokenTimes || next == kTokenDivide) {
        // "^" binds before a pending unary minus, "*" and "/" only after
        // pending "*" and "/" are applied.
        bool holds = next == kTokenPower || (pending != kStackUnaryMinus &&
                                             pending != kStackTimes && pending != kStackDivide);
        if (holds) {
            stack_.push_back(std::move(operand));
            PushKind(next == kTokenPower   ? kStackPower
                     : next == kTokenTimes ? kStackTimes
                                           : kStackDivide);
            again = false;
            return Step::Continue;
        }
    }
    if (pending == kStackUnaryMinus) {
        stack_.pop_back();
        operand.value = -operand.value;
        if (PowerLaw()) NegateExpression(operand.expr);
        Emit(kWordNegate);
        return PushResult(std::move(operand));
    }
    if (pending == kStackTimes || pending == kStackDivide) {
        stack_.pop_back();
        return ApplyBinary(pending, Pop(), std::move(operand));
    }
    if (StartsOperand(next)) { // juxtaposition multiplies
        stack_.push_back(std::move(operand));
        PushKind(kStackTimes);
        return Step::Continue;
    }
    if (pending == kStackPlus || pending == kStackMinus) {
        stack_.pop_back();
        return ApplyBinary(pending, Pop(), std::move(operand));
    }
    if (next == kTokenPlus || next == kTokenMinus) {
        stack_.push_back(std::move(operand));
        PushKind(next == kTokenPlus ? kStackPlus : kStackMinus);
        again = false;
        return Step::Continue;
    }
    if (pending == kStackOpenParen) {
        if (next != kTokenClose)
            return Fail(next == kTokenEnd ? kCodeParenMissing : kCodeUnexpected);
        stack_.pop_back();
        stack_.push_back(std::move(operand));
        again = false;
        return Step::Continue;
    }
    if (pending == kStackOpenFunction) {
        if (next != kTokenCloseBracket) return Fail(kCodeBracketMissing);
        int32_t function = stack_.back().index;
        stack_.pop_back();
        again = false;
        return ApplyFunction(function, std::move(operand));
    }
    operand.kind = kStackFinished;
    stack_.push_back(std::move(operand));
    return Step::Continue;
}

int ExpressionCompiler::Run(int32_t start, double& value, GMAexpression* expr) {
    ClearMathError();
    PushKind(kStackBottom);
    int32_t position = start;
    TokenRec token;
    bool again = false;
    for (;;) {
        if (!again) {
            token = TokenRec{};
            model_.NextToken(text_, position, token);
        }
        again = false;
        Step step = Step::Continue;
        const int32_t top = stack_.back().kind;
        if (top == kStackFinished) {
            if (token.kind != kTokenEnd) {
                Fail(kCodeUnexpected);
                return 0;
            }
            break;
        }
        step = top == kStackOperand ? ReduceOperand(token, again) : ReadOperand(token);
        if (tooDeep_) {
            Fail(kCodeNestedTooDeeply, "More than " + std::to_string(kMaxNestingDepth) +
                                           " levels of parentheses, functions and operators.");
            return 0;
        }
        if (step == Step::Failed) return 0;
        if (step == Step::NotConstant) return 1;
    }
    TokenRec& result = stack_.back();
    value = result.value;
    if (expr != nullptr) *expr = std::move(result.expr);
    if (code_ != nullptr) {
        Emit(kWordEnd);
        model_.stackDepth = std::max(model_.stackDepth, static_cast<uint32_t>(code_->size()));
    }
    return constant_ ? 2 : 1;
}

} // namespace

int KRMparser::Compile(int mode, const std::string& text, int32_t start, double& value,
                       std::vector<int32_t>* code, GMAexpression* expr, bool wantConstancy) {
    ExpressionCompiler compiler(*this, mode, text, code, wantConstancy);
    return compiler.Run(start, value, expr);
}

int32_t KRMparser::NextToken(const std::string& text, int32_t& position, TokenRec& token) const {
    static constexpr std::array<std::pair<std::string_view, int32_t>, 10> kOperators{{
        {"+", kTokenPlus},
        {"-", kTokenMinus},
        {"*", kTokenTimes},
        {"^", kTokenPower},
        {"(", kTokenOpen},
        {")", kTokenClose},
        {"[", kTokenOpenBracket},
        {"]", kTokenCloseBracket},
        {"//", kTokenEnd},
        {"/", kTokenDivide},
    }};
    const std::string_view view(text);
    position = SkipBlanks(view, std::min(position, static_cast<int32_t>(view.size())));
    if (position >= static_cast<int32_t>(view.size())) return token.kind = kTokenEnd;
    for (const auto& [literal, kind] : kOperators) {
        if (view.substr(position, literal.size()) == literal) {
            position += static_cast<int32_t>(literal.size());
            return token.kind = kind;
        }
    }
    std::string name;
    if (ReadName(view, position, name)) {
        if ((token.index = nameIndexes.equations.Find(equations, name)) >= 0)
            return token.kind = kTokenVariable;
        if ((token.index = nameIndexes.definitions.Find(definitions, name)) >= 0)
            return token.kind = kTokenDefinition;
        if ((token.index = UsableConstant(constants, nameIndexes.constants, name)) >= 0)
            return token.kind = kTokenConstant;
        int32_t afterName = position;
        int function = FunctionNumber(name.data(), name.size());
        if (function != 0 && Expect(view, afterName, "[")) {
            position = afterName;
            token.index = function;
            return token.kind = kTokenFunction;
        }
        token.index = 0;
        return token.kind = name == "_time" ? kTokenTime : kTokenUnknown;
    }
    if (kora::ReadNumber(view, position, token.value)) return token.kind = kTokenNumber;
    ++position;
    return token.kind = kTokenUnknown;
}

} // namespace kora

// Compile: one left-to-right pass over a right side with an explicit operator
// stack, producing its value, postfix code and (in the power-law modes) its
// power-law expression. NextToken splits the text and resolves names.
#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <string_view>

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
    kStackRelational = 11, // its index is the relational word
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

bool IsRelationalToken(int32_t kind) {
    return kind >= kTokenLess && kind <= kTokenNotEqual;
}

int32_t RelationalWord(int32_t kind) {
    return kWordLess + (kind - kTokenLess);
}

const char* RelationalText(int32_t word) {
    static constexpr const char* kTexts[] = {"<", "<=", ">", ">=", "==", "!="};
    return kTexts[word - kWordLess];
}

// The reason the Taylor method's form refuses a condition.
std::string NoPowerLaw(const char* what) {
    return std::string(what) + ": a condition has no power-law form";
}

bool IsConditional(int32_t function) {
    return function == kFunctionIf || function == kFunctionPiecewise;
}

bool IsLogicalChain(int32_t function) {
    return function == kFunctionAnd || function == kFunctionOr || function == kFunctionXor;
}

// Functions of any number of arguments, folded pairwise: a b w c w.
bool IsChain(int32_t function) {
    return IsLogicalChain(function) || function == kFunctionMin || function == kFunctionMax;
}

bool IsConditionFunction(int32_t function) {
    return IsLogicalChain(function) || IsConditional(function) || function == kFunctionNot ||
           function == kFunctionImplies;
}

// Functions whose argument list may hold commas.
bool TakesSeveral(int32_t function) {
    return IsChain(function) || IsConditional(function) || function == kFunctionImplies ||
           function == kFunctionQuotient || function == kFunctionRem || function == kFunctionRoot ||
           function == kFunctionLog;
}

// The word of a chain or of a function of two arguments.
int32_t PairWord(int32_t function) {
    switch (function) {
    case kFunctionAnd:
        return kWordAnd;
    case kFunctionOr:
        return kWordOr;
    case kFunctionXor:
        return kWordXor;
    case kFunctionImplies:
        return kWordImplies;
    case kFunctionMin:
        return kWordMin;
    case kFunctionMax:
        return kWordMax;
    case kFunctionQuotient:
        return kWordQuotient;
    case kFunctionRem:
        return kWordRem;
    case kFunctionRoot:
        return kWordRoot;
    default:
        return kWordLogBase;
    }
}

using TokenRec = KRMparser::TokenRec;

// An open function call: its arguments so far and where each one's code
// begins, so that a conditional can lay its pieces out again.
struct Call {
    int32_t function = 0;
    int32_t count = 0;
    std::vector<TokenRec> arguments;
    std::vector<size_t> starts;
};

// Moves a deferred error of `from` into `into`, unless it has one already.
void Absorb(TokenRec& into, const TokenRec& from) {
    if (into.deferred != 0 || from.deferred == 0) return;
    into.deferred = from.deferred;
    into.deferredDetail = from.deferredDetail;
}

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
    int ValueError(double value, const char*& detail) const;
    void Emit(int32_t word) {
        if (code_ != nullptr) code_->push_back(word);
    }
    void Emit(int32_t word, int32_t operand) {
        Emit(word);
        Emit(operand);
    }
    size_t CodeSize() const { return code_ != nullptr ? code_->size() : 0; }
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
    }

    Step ReadOperand(const TokenRec& token);
    Step ReadNumber(double number);
    Step ReadConstant(int32_t index);
    Step ReadDefinition(int32_t index);
    Step ReduceOperand(const TokenRec& token, bool& again);
    Step ApplyBinary(int32_t pending, TokenRec left, TokenRec right);
    Step ApplyFunction(int32_t function, TokenRec operand);
    Step ApplyCondition(int32_t word, TokenRec left, TokenRec right);
    void ApplyPair(int32_t word, TokenRec& left, const TokenRec& right);
    Step OpenCall(int32_t function);
    Step AddArgument(TokenRec&& operand);
    Step FinishCall();
    Step FinishConditional(Call& call);
    void LayOutConditional(const Call& call, const std::vector<std::pair<size_t, size_t>>& pieces,
                           size_t otherwise);
    Step PushResult(TokenRec&& operand);

    KRMparser& model_;
    const int mode_;
    const std::string& text_;
    std::vector<int32_t>* code_;
    const bool wantConstancy_;
    bool constant_ = true;
    std::vector<TokenRec> stack_;
    std::vector<Call> calls_;
    // Open conditionals around the operand being read: errors of values are
    // deferred there, as the branch may never be taken.
    int conditionalDepth_ = 0;
};

ExpressionCompiler::Step ExpressionCompiler::Fail(int code, const std::string& detail) {
    if (mode_ != kModeQuietPowerLaw) model_.SetError(code, text_, detail);
    return Step::Failed;
}

// The checks made after every step: a recorded mathematical error, then a
// result out of the range of normal doubles. Returns the error code, or 0.
int ExpressionCompiler::ValueError(double value, const char*& detail) const {
    const MathErrorRecord& record = CurrentMathError();
    detail = "";
    if (record.IsSet()) {
        detail = record.function;
        switch (record.kind) {
        case MathErrorKind::Overflow:
            return kCodeOverflow;
        case MathErrorKind::Underflow:
            return kCodeUnderflow;
        default:
            return std::string_view(record.function) == "pow" ? kCodePowerError
                                                              : kCodeFunctionError;
        }
    }
    double magnitude = std::fabs(value);
    if (magnitude >= DBL_MAX) return kCodeOverflow;
    if (magnitude != 0.0 && magnitude < DBL_MIN) return kCodeUnderflow;
    return 0;
}

ExpressionCompiler::Step ExpressionCompiler::PushResult(TokenRec&& operand) {
    operand.kind = kStackOperand;
    const char* detail = "";
    int code = ValueError(operand.value, detail);
    if (code != 0 && conditionalDepth_ > 0) {
        if (operand.deferred == 0) {
            operand.deferred = code;
            operand.deferredDetail = detail;
        }
        ClearMathError();
        code = 0;
    }
    if (code == 0 && operand.deferred != 0 && conditionalDepth_ == 0) {
        code = operand.deferred;
        detail = operand.deferredDetail;
    }
    stack_.push_back(std::move(operand));
    return code != 0 ? Fail(code, detail) : Step::Continue;
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
        if (PowerLaw())
            return Fail(kCodeInvalidName, IsConditionFunction(token.index)
                                              ? NoPowerLaw(FunctionName(token.index))
                                              : std::string());
        return OpenCall(token.index);
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
    Absorb(left, right);
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
        if (algebraCode == 0 && right.value == 0.0) {
            if (conditionalDepth_ == 0) {
                algebraCode = kCodeDivisionByZero;
            } else if (left.deferred == 0) {
                left.deferred = kCodeDivisionByZero;
                left.deferredDetail = "";
            }
        }
        if (algebraCode == 0 && right.value != 0.0) left.value /= right.value;
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

ExpressionCompiler::Step ExpressionCompiler::ApplyCondition(int32_t word, TokenRec left,
                                                            TokenRec right) {
    Absorb(left, right);
    left.value = ConditionValue(word, left.value, right.value);
    Emit(word);
    return PushResult(std::move(left));
}

ExpressionCompiler::Step ExpressionCompiler::OpenCall(int32_t function) {
    PushKind(kStackOpenFunction, function);
    Call call;
    call.function = function;
    call.starts.push_back(CodeSize());
    calls_.push_back(std::move(call));
    if (IsConditional(function)) ++conditionalDepth_;
    return Step::Continue;
}

// Combines two operands by a two-argument word into `left`; the caller
// checks the result.
void ExpressionCompiler::ApplyPair(int32_t word, TokenRec& left, const TokenRec& right) {
    Absorb(left, right);
    if (word >= kWordMin) {
        bool failed = false;
        left.value = CallBinaryFunction(word, left.value, right.value, failed);
    } else {
        left.value = ConditionValue(word, left.value, right.value);
    }
    Emit(word);
}

// One finished argument. The arguments of a chain are combined as they come:
// a b and c and (no chain word can fail).
ExpressionCompiler::Step ExpressionCompiler::AddArgument(TokenRec&& operand) {
    Call& call = calls_.back();
    ++call.count;
    if (IsChain(call.function) && !call.arguments.empty()) {
        TokenRec& left = call.arguments.front();
        ApplyPair(PairWord(call.function), left, operand);
        return Step::Continue;
    }
    call.arguments.push_back(std::move(operand));
    return Step::Continue;
}

ExpressionCompiler::Step ExpressionCompiler::FinishCall() {
    Call call = std::move(calls_.back());
    calls_.pop_back();
    const int32_t function = call.function;
    if (IsConditional(function)) return FinishConditional(call);
    TokenRec result = std::move(call.arguments.front());
    if (IsChain(function)) {
        if (call.count == 1 && IsLogicalChain(function)) { // truth value of a single operand
            result.value = result.value != 0.0 ? 1.0 : 0.0;
            Emit(kWordNot);
            Emit(kWordNot);
        }
        return PushResult(std::move(result));
    }
    const size_t count = call.arguments.size();
    const bool pair =
        function == kFunctionImplies || function == kFunctionQuotient || function == kFunctionRem;
    if ((pair && count != 2) || count > 2) return Fail(kCodeUnexpected, FunctionName(function));
    if (count == 2) {
        ApplyPair(PairWord(function), result, call.arguments[1]);
        return PushResult(std::move(result));
    }
    if (function == kFunctionRoot) return ApplyFunction(kFunctionSqrt, std::move(result));
    if (function == kFunctionNot) {
        result.value = result.value == 0.0 ? 1.0 : 0.0;
        Emit(kWordNot);
        return PushResult(std::move(result));
    }
    return ApplyFunction(function, std::move(result));
}

// if[c, a, b] is piecewise[a, c, b]: value and condition pairs, then an
// optional otherwise. The first piece whose condition is nonzero gives the
// value; with none and no otherwise the expression has no value.
ExpressionCompiler::Step ExpressionCompiler::FinishConditional(Call& call) {
    --conditionalDepth_;
    const size_t count = call.arguments.size();
    if (call.function == kFunctionIf && count != 3)
        return Fail(kCodeUnexpected, FunctionName(call.function));
    std::vector<std::pair<size_t, size_t>> pieces; // (value, condition)
    size_t otherwise = count;
    if (call.function == kFunctionIf) {
        pieces.emplace_back(1, 0);
        otherwise = 2;
    } else {
        for (size_t i = 0; i + 1 < count; i += 2)
            pieces.emplace_back(i, i + 1);
        if (count % 2 == 1) otherwise = count - 1;
    }
    if (code_ != nullptr) LayOutConditional(call, pieces, otherwise);

    TokenRec result;
    bool chosen = false;
    for (const auto& [value, condition] : pieces) {
        const TokenRec& test = call.arguments[condition];
        if (test.deferred != 0 || test.value != 0.0) {
            result = std::move(call.arguments[test.deferred != 0 ? condition : value]);
            chosen = true;
            break;
        }
    }
    if (!chosen && otherwise < count) {
        result = std::move(call.arguments[otherwise]);
    } else if (!chosen) {
        result.value = 1.0;
        result.deferred = kCodeFunctionError;
        result.deferredDetail = FunctionName(kFunctionPiecewise);
    }
    return PushResult(std::move(result));
}

// Rewrites the arguments' code, as read, into the conditional layout of
// postfix_words.h. Jumps are relative, so a conditional's code can be moved
// as a whole into an enclosing one.
void ExpressionCompiler::LayOutConditional(const Call& call,
                                           const std::vector<std::pair<size_t, size_t>>& pieces,
                                           size_t otherwise) {
    const size_t begin = call.starts.front();
    const std::vector<int32_t> read(code_->begin() + static_cast<std::ptrdiff_t>(begin),
                                    code_->end());
    const auto append = [&](size_t argument) {
        const size_t from = call.starts[argument] - begin;
        const size_t to =
            (argument + 1 < call.starts.size() ? call.starts[argument + 1] : begin + read.size()) -
            begin;
        code_->insert(code_->end(), read.begin() + static_cast<std::ptrdiff_t>(from),
                      read.begin() + static_cast<std::ptrdiff_t>(to));
    };
    const auto distanceFrom = [&](size_t operand) {
        return static_cast<int32_t>(code_->size() - (operand + 1));
    };
    code_->resize(begin);
    std::vector<size_t> skips;
    for (const auto& [value, condition] : pieces) {
        append(condition);
        Emit(kWordBranch, 0);
        const size_t branch = code_->size() - 1;
        append(value);
        Emit(kWordSkip, 0);
        skips.push_back(code_->size() - 1);
        (*code_)[branch] = distanceFrom(branch);
    }
    if (otherwise < call.starts.size())
        append(otherwise);
    else
        Emit(kWordNoPiece, 0);
    for (size_t i = 0; i < pieces.size(); ++i)
        Emit(kWordSelect);
    for (size_t skip : skips)
        (*code_)[skip] = distanceFrom(skip);
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
    if (pending == kStackRelational) {
        // a < b < c reads differently in different languages: refused.
        if (IsRelationalToken(next))
            return Fail(kCodeUnexpected, RelationalText(RelationalWord(next)));
        const int32_t word = stack_.back().index;
        stack_.pop_back();
        return ApplyCondition(word, Pop(), std::move(operand));
    }
    if (IsRelationalToken(next)) {
        // A power law cannot switch.
        if (PowerLaw())
            return Fail(kCodeInvalidName, NoPowerLaw(RelationalText(RelationalWord(next))));
        stack_.push_back(std::move(operand));
        PushKind(kStackRelational, RelationalWord(next));
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
        const int32_t function = stack_.back().index;
        if (next == kTokenComma && TakesSeveral(function)) {
            again = false;
            Step step = AddArgument(std::move(operand));
            calls_.back().starts.push_back(CodeSize());
            return step;
        }
        if (next != kTokenCloseBracket) return Fail(kCodeBracketMissing);
        stack_.pop_back();
        again = false;
        AddArgument(std::move(operand));
        return FinishCall();
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
    static constexpr std::array<std::pair<std::string_view, int32_t>, 17> kOperators{{
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
        {"<=", kTokenLessEqual},
        {"<", kTokenLess},
        {">=", kTokenGreaterEqual},
        {">", kTokenGreater},
        {"==", kTokenEqual},
        {"!=", kTokenNotEqual},
        {",", kTokenComma},
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

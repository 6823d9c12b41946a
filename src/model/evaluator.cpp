// Evaluate: runs a compiled right side on a caller-owned stack. It allocates
// nothing and touches only this thread's mathematical-error record, so the
// solver threads of two documents may evaluate at once.
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "condition_switches.h"
#include "fused_code.h"
#include "krm_parser.h"
#include "math_error.h"
#include "model_functions.h"
#include "postfix_words.h"
#include "value_range.h"

namespace kora {
namespace {

// The name a message gives the word: the function or operator, or "value"
// for a quantity read in (a NaN can only enter that way).
const char* WordName(int32_t word) {
    switch (word) {
    case kWordNegate:
    case kWordSubtract:
        return "-";
    case kWordAdd:
        return "+";
    case kWordMultiply:
        return "*";
    case kWordDivide:
        return "/";
    case kWordPower:
        return "pow";
    case kWordConstant:
    case kWordVariable:
    case kWordDefinition:
    case kWordTime:
        return "value";
    case kWordMin:
        return "min";
    case kWordMax:
        return "max";
    case kWordQuotient:
        return "quotient";
    case kWordRem:
        return "rem";
    case kWordRoot:
        return "root";
    case kWordLogBase:
        return "log";
    default:
        return word < kWordConstant ? FunctionName(word) : "condition";
    }
}

// The word that ends just before `end` in `code`: operand words carry one
// index after them.
int32_t WordBefore(const int32_t* code, const int32_t* end) {
    int32_t last = kWordEnd;
    while (code < end) {
        last = *code++;
        if (WordHasOperand(last)) ++code;
    }
    return last;
}

// A NaN is undefined whatever made it: a domain error of the word, so that no
// NaN passes on into a solution. The word is found again from the code, so
// that the loop need not keep it at hand.
[[gnu::cold]] int NotANumber(const int32_t* code, const int32_t* end, double value) {
    MathErrorRecord& record = CurrentMathError();
    record.kind = MathErrorKind::Domain;
    record.function = WordName(WordBefore(code, end));
    record.arg1 = value;
    record.arg2 = 0.0;
    record.argCount = 1;
    return kEvalDomain;
}

int ErrorOfRecord() {
    switch (CurrentMathError().kind) {
    case MathErrorKind::Domain:
        return kEvalDomain;
    case MathErrorKind::Singularity:
        return kEvalSingularity;
    case MathErrorKind::Overflow:
        return kEvalOverflow;
    case MathErrorKind::Underflow:
        return kEvalUnderflow;
    case MathErrorKind::TotalLoss:
        return kEvalTotalLoss;
    case MathErrorKind::None:
        break;
    }
    return 0;
}

// A conditional value with no true piece and no otherwise has no value.
[[gnu::cold]] int NoPiece() {
    MathErrorRecord& record = CurrentMathError();
    record.kind = MathErrorKind::Domain;
    record.function = "piecewise";
    record.arg1 = 0.0;
    record.arg2 = 0.0;
    record.argCount = 0;
    return kEvalDomain;
}

// Runs code words from `code` on: to the end word, or, when `bounded`, to
// `end`. Leaves the value on top in the return, the entries under it below
// `below`.
// The state of the word loop, handed to the words kept out of its switch.
struct Machine {
    const int32_t* word;
    double* below;
    double top;
    int error;
};

// Words past kWordPower: conditions, jumps and two-argument functions. Out
// of the loop's switch, so that the arithmetic words keep their tight code.
[[gnu::noinline]] Machine ConditionOrPairWord(int32_t current, Machine m) {
    switch (current) {
    case kWordNot:
        m.top = m.top == 0.0 ? 1.0 : 0.0;
        break;
    case kWordBranch: {
        const int32_t distance = *m.word++;
        const bool taken = m.top != 0.0;
        m.top = *--m.below;
        if (!taken) m.word += distance;
        break;
    }
    case kWordSkip: {
        const int32_t distance = *m.word++;
        m.word += distance;
        break;
    }
    case kWordSelect:
        break;
    case kWordHeldFalse:
    case kWordHeldTrue:
        *m.below++ = m.top;
        m.top = current == kWordHeldTrue ? 1.0 : 0.0;
        break;
    case kWordNoPiece:
        ++m.word;
        m.error = NoPiece();
        break;
    case kWordMin:
    case kWordMax:
    case kWordQuotient:
    case kWordRem:
    case kWordRoot:
    case kWordLogBase: {
        bool failed = false;
        m.top = CallBinaryFunction(current, *--m.below, m.top, failed);
        if (failed) {
            const int range = RangeError(m.top);
            m.error = range != 0 ? range : ErrorOfRecord();
        }
        break;
    }
    default: // relational and logical words
        m.top = ConditionValue(current, *--m.below, m.top);
        break;
    }
    return m;
}

template <bool bounded>
[[gnu::noinline]] double RunWords(const int32_t* const code, const int32_t* const end, double time,
                                  const double* dependent, const double* auxiliary,
                                  const double* constants, const RandomSource& random, int& error,
                                  double* stack, double*& belowOut) {
    // The top of the stack lives in a register; `below` is the first free
    // entry under it. The first load spills a meaningless value into
    // stack[0], so the stack never holds more entries than the code is long.
    const int32_t* word = code;
    double* below = stack;
    double top = 0.0;
    for (;;) {
        if constexpr (bounded) {
            if (word >= end) {
                belowOut = below;
                return top;
            }
        }
        const int32_t current = *word++;
        // Operand and arithmetic words are 256 to 265: one dense switch.
        switch (static_cast<uint32_t>(current - kWordConstant)) {
        case kWordConstant - kWordConstant:
            *below++ = top;
            top = constants[*word++];
            break;
        case kWordVariable - kWordConstant:
            *below++ = top;
            top = dependent[*word++];
            break;
        case kWordDefinition - kWordConstant:
            *below++ = top;
            top = auxiliary[*word++];
            break;
        case kWordTime - kWordConstant:
            ++word;
            *below++ = top;
            top = time;
            break;
        case kWordNegate - kWordConstant:
            top = -top;
            break;
        case kWordAdd - kWordConstant:
            top = *--below + top;
            break;
        case kWordSubtract - kWordConstant:
            top = *--below - top;
            break;
        case kWordMultiply - kWordConstant:
            top = *--below * top;
            break;
        case kWordDivide - kWordConstant:
            if (top == 0.0) {
                error = kEvalDivision;
                return top;
            }
            top = *--below / top;
            break;
        case kWordPower - kWordConstant: {
            bool failed = false;
            top = CheckedPower(*--below, top, failed);
            if (failed) {
                const int range = RangeError(top);
                error = range != 0 ? range : kEvalPower;
                return top;
            }
            break;
        }
        default: {
            if (current == kWordEnd) {
                belowOut = below;
                return top;
            }
            if (current > kWordPower) {
                const Machine next = ConditionOrPairWord(current, {word, below, top, 0});
                word = next.word;
                below = next.below;
                top = next.top;
                if (next.error != 0) {
                    error = next.error;
                    return top;
                }
                break;
            }
            bool failed = false;
            top = CallFunction(current, top, random, failed);
            // A failing function yields 1.0, so its record is what reports it.
            if (failed) {
                const int range = RangeError(top);
                error = range != 0 ? range : ErrorOfRecord();
                return top;
            }
            break;
        }
        }
        if (int range = RangeError(top)) {
            error = range == kNotANumber ? NotANumber(code, word, top) : range;
            return top;
        }
    }
}

} // namespace

double KRMparser::Evaluate(int kind, int index, double time, const double* dependent,
                           const double* auxiliary, const double* constants_, int& error,
                           double* stack) const {
    MathErrorRecord& record = CurrentMathError();
    if (record.IsSet()) record = MathErrorRecord{};
    error = 0;
    if (index < 0) return 0.0;
    double value = 0.0;
    if (EvaluateFused(kind, static_cast<size_t>(index), time, dependent, auxiliary, constants_,
                      stack, value))
        return value;
    // The ordinary code finds again what stopped the fused code, and says it.
    if (record.IsSet()) record = MathErrorRecord{};
    const std::vector<Statement>& list = kind == 0 ? equations : definitions;
    if (static_cast<size_t>(index) >= list.size() || list[index].code.empty()) return 0.0;
    double* below = nullptr;
    return RunWords<false>(list[index].code.data(), nullptr, time, dependent, auxiliary, constants_,
                           random, error, stack, below);
}

double KRMparser::EvaluateCode(const int32_t* const code, double time, const double* dependent,
                               const double* auxiliary, const double* constants_, int& error,
                               double* stack) const {
    MathErrorRecord& record = CurrentMathError();
    if (record.IsSet()) record = MathErrorRecord{};
    error = 0;
    double* below = nullptr;
    return RunWords<false>(code, nullptr, time, dependent, auxiliary, constants_, random, error,
                           stack, below);
}

namespace {

// The switch's operands, left on the stack: `below` points past the first of
// two, the returned value is the last.
double SwitchOperands(const KRMparser& model, const std::vector<int32_t>& code,
                      const ConditionSwitch& at, double time, const double* dependent,
                      const double* auxiliary, const double* constants, int& error, double* stack,
                      double*& below) {
    MathErrorRecord& record = CurrentMathError();
    if (record.IsSet()) record = MathErrorRecord{};
    error = 0;
    below = nullptr;
    return RunWords<true>(code.data() + at.begin, code.data() + at.word, time, dependent, auxiliary,
                          constants, model.random, error, stack, below);
}

} // namespace

double SwitchingFunction(const KRMparser& model, const std::vector<int32_t>& code,
                         const ConditionSwitch& at, double time, const double* dependent,
                         const double* auxiliary, const double* constants, int& error,
                         double* stack) {
    double* below = nullptr;
    const double top =
        SwitchOperands(model, code, at, time, dependent, auxiliary, constants, error, stack, below);
    if (error != 0) return top;
    return at.operands == 2 ? below[-1] - top : top;
}

double SwitchValue(const KRMparser& model, const std::vector<int32_t>& code,
                   const ConditionSwitch& at, double time, const double* dependent,
                   const double* auxiliary, const double* constants, int& error, double* stack) {
    double* below = nullptr;
    const double top =
        SwitchOperands(model, code, at, time, dependent, auxiliary, constants, error, stack, below);
    if (error != 0) return top;
    if (at.operands == 2) return ConditionValue(at.kind, below[-1], top);
    bool failed = false;
    const double value = CallFunction(at.kind, top, model.random, failed);
    if (failed) error = ErrorOfRecord();
    return value;
}

} // namespace kora

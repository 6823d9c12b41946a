#include "model_jacobian.h"

#include <cmath>

#include "function_slopes.h"
#include "krm_parser.h"
#include "math_error.h"
#include "model_functions.h"
#include "postfix_words.h"

namespace kora {
namespace {

// The words kept out of the main switch: conditions (slope 0), jumps and
// two-argument functions. False when a function fails.
bool ConditionOrPairWord(int32_t current, const int32_t*& word, DualNumber*& below,
                         DualNumber& top) {
    switch (current) {
    case kWordNot:
        top = {top.value == 0.0 ? 1.0 : 0.0, 0.0};
        return true;
    case kWordBranch: {
        const int32_t distance = *word++;
        const bool taken = top.value != 0.0;
        top = *--below;
        if (!taken) word += distance;
        return true;
    }
    case kWordSkip:
        word += *word + 1;
        return true;
    case kWordSelect:
        return true;
    case kWordNoPiece:
        return false;
    case kWordMin:
    case kWordMax:
    case kWordQuotient:
    case kWordRem:
    case kWordRoot:
    case kWordLogBase: {
        const DualNumber a = *--below;
        bool failed = false;
        const double value = CallBinaryFunction(current, a.value, top.value, failed);
        top = {value, BinarySlope(current, a.value, top.value, value, a.slope, top.slope)};
        return !failed;
    }
    default: // relational and logical words
        top = {ConditionValue(current, (--below)->value, top.value), 0.0};
        return true;
    }
}

struct Operands {
    double time;
    const double* dependent;
    const double* dependentSlope;
    const double* auxiliary;
    const double* auxiliarySlope;
    const double* constants;
};

// One arithmetic word on the top two entries.
bool Arithmetic(int32_t current, DualNumber*& below, DualNumber& top) {
    if (current == kWordNegate) {
        top = {-top.value, -top.slope};
        return true;
    }
    const DualNumber a = *--below;
    switch (current) {
    case kWordAdd:
        top = {a.value + top.value, a.slope + top.slope};
        return true;
    case kWordSubtract:
        top = {a.value - top.value, a.slope - top.slope};
        return true;
    case kWordMultiply:
        top = {a.value * top.value, a.slope * top.value + a.value * top.slope};
        return true;
    case kWordDivide: {
        if (top.value == 0.0) return false;
        const double value = a.value / top.value;
        top = {value, (a.slope - value * top.slope) / top.value};
        return true;
    }
    default: { // kWordPower
        bool failed = false;
        const double value = CheckedPower(a.value, top.value, failed);
        top = {value, PowerSlope(a.value, top.value, value, a.slope, top.slope)};
        return !failed;
    }
    }
}

bool RunDualWords(const KRMparser& model, const int32_t* word, const Operands& in,
                  DualNumber* stack, DualNumber& result) {
    DualNumber* below = stack;
    DualNumber top;
    for (;;) {
        const int32_t current = *word++;
        bool ok = true;
        switch (current) {
        case kWordEnd:
            result = top;
            return true;
        case kWordConstant:
            *below++ = top;
            top = {in.constants[*word++], 0.0};
            break;
        case kWordVariable:
            *below++ = top;
            top = {in.dependent[*word], in.dependentSlope[*word]};
            ++word;
            break;
        case kWordDefinition:
            *below++ = top;
            top = {in.auxiliary[*word], in.auxiliarySlope[*word]};
            ++word;
            break;
        case kWordTime:
            ++word;
            *below++ = top;
            top = {in.time, 0.0};
            break;
        default:
            if (current >= kWordNegate && current <= kWordPower) {
                ok = Arithmetic(current, below, top);
            } else if (current > kWordPower) {
                ok = ConditionOrPairWord(current, word, below, top);
            } else {
                bool failed = false;
                const double value = CallFunction(current, top.value, model.random, failed);
                top = {value, FunctionSlope(current, top.value, value) * top.slope};
                ok = !failed;
            }
            break;
        }
        if (!ok || !std::isfinite(top.value) || !std::isfinite(top.slope)) return false;
    }
}

} // namespace

bool EvaluateDual(const KRMparser& model, const int32_t* code, double time, const double* dependent,
                  const double* dependentSlope, const double* auxiliary,
                  const double* auxiliarySlope, const double* constants, DualNumber* stack,
                  DualNumber& result) {
    const Operands in{time, dependent, dependentSlope, auxiliary, auxiliarySlope, constants};
    const bool ok = RunDualWords(model, code, in, stack, result);
    // A failing function leaves its record; the difference path that takes
    // over meets the failure again and reports it itself.
    CurrentMathError() = MathErrorRecord{};
    return ok;
}

ModelJacobian::ModelJacobian(const KRMparser& model)
    : model_(model), auxiliary_(model.definitions.size()),
      auxiliarySlope_(model.definitions.size()), stack_(std::max<size_t>(1, model.stackDepth)) {}

bool ModelJacobian::Times(double time, const double* y, const double* v, const double* constants,
                          double* jv) {
    static constexpr int32_t kZero[] = {kWordEnd};
    DualNumber result;
    const auto evaluate = [&](const std::vector<int32_t>& code) {
        return EvaluateDual(model_, code.empty() ? kZero : code.data(), time, y, v,
                            auxiliary_.data(), auxiliarySlope_.data(), constants, stack_.data(),
                            result);
    };
    for (size_t j = 0; j < model_.definitions.size(); ++j) {
        if (!evaluate(model_.definitions[j].code)) return false;
        auxiliary_[j] = result.value;
        auxiliarySlope_[j] = result.slope;
    }
    for (size_t i = 0; i < model_.equations.size(); ++i) {
        if (!evaluate(model_.equations[i].code)) return false;
        jv[i] = result.slope;
    }
    return true;
}

} // namespace kora

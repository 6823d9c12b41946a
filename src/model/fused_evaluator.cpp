// The word loop of fused code. It mirrors the ordinary loop's arithmetic
// word for word; every value the ordinary loop would check is checked here
// too, and any that fails ends this run with false, so that the ordinary
// loop reports it with its own message.
#include <cfloat>
#include <cmath>
#include <type_traits>

#include "fused_code.h"
#include "postfix_words.h"
#include "value_range.h"

namespace kora {
namespace {

// The ordinary power word, with the checks made on its operands and result.
[[gnu::noinline]] bool CheckedPowerInRange(double base, double exponent, double& result) {
    if (!InNormalRange(base) || !InNormalRange(exponent)) return false;
    bool failed = false;
    result = CheckedPower(base, exponent, failed);
    return !failed && InNormalRange(result);
}

// The same for the common case, a positive normal base with a normal
// result, which needs only one check of each; the rest go the full way.
inline bool PowerInRange(double base, double exponent, double& result) {
    if (PositiveNormal(base) && InNormalRange(exponent)) {
        result = PositivePower(base, exponent);
        if (PositiveNormal(result)) return true;
    }
    return CheckedPowerInRange(base, exponent, result);
}

// One loop for a statement (its value into results[0] at the end) and for a
// system program (values stored by its store words).
template <bool kSystem>
bool RunFused(const int32_t* code, double time, const double* dependent,
              std::conditional_t<kSystem, double*, const double*> auxiliary,
              const double* constants, const RandomSource& random, double* stack, double* results) {
    const int32_t* word = code;
    double* below = stack;
    double top = 0.0;
    for (;;) {
        const int32_t current = *word++;
        switch (current) {
        case kWordEnd:
            if constexpr (!kSystem) results[0] = top;
            return true;
        case kFusedStoreDefinition:
        case kFusedStoreRate:
            if constexpr (kSystem) {
                (current == kFusedStoreRate ? results : auxiliary)[*word++] = top;
                below = stack;
                top = 0.0;
                break;
            } else {
                return false;
            }
        case kFusedSubtractStoreRate:
            if constexpr (kSystem) {
                top = *--below - top;
                if (!InNormalRange(top)) return false;
                results[*word++] = top;
                below = stack;
                top = 0.0;
                break;
            } else {
                return false;
            }
        case kWordConstant:
            *below++ = top;
            top = constants[*word++];
            break;
        case kWordVariable:
            *below++ = top;
            top = dependent[*word++];
            break;
        case kWordDefinition:
            *below++ = top;
            top = auxiliary[*word++];
            break;
        case kWordTime:
            ++word;
            *below++ = top;
            top = time;
            break;
        case kWordNegate:
            top = -top;
            break;
        case kWordAdd:
            top = *--below + top;
            break;
        case kWordSubtract:
            top = *--below - top;
            break;
        case kWordMultiply:
            top = *--below * top;
            break;
        case kWordDivide:
            if (top == 0.0) return false;
            top = *--below / top;
            break;
        case kWordPower: {
            double result = 0.0;
            if (!PowerInRange(*--below, top, result)) return false;
            top = result;
            break;
        }
        case kFusedMultiplyConstant: {
            const double factor = constants[*word++];
            if (!InNormalRange(factor)) return false;
            top *= factor;
            break;
        }
        case kFusedMultiplyVariable: {
            const double factor = dependent[*word++];
            if (!InNormalRange(factor)) return false;
            top *= factor;
            break;
        }
        case kFusedPower:
        case kFusedPowerNegated:
        case kFusedMultiplyPower:
        case kFusedMultiplyPowerNegated: {
            const double base = dependent[word[0]];
            const double exponent = constants[word[1]];
            word += 2;
            const bool negated =
                current == kFusedPowerNegated || current == kFusedMultiplyPowerNegated;
            double result = 0.0;
            if (!PowerInRange(base, negated ? -exponent : exponent, result)) return false;
            if (current == kFusedPower || current == kFusedPowerNegated) {
                *below++ = top;
                top = result;
            } else {
                top *= result;
            }
            break;
        }
        case kFusedTerm:
        case kFusedTermNegated: {
            const double factor = constants[word[0]];
            const double base = dependent[word[1]];
            const double exponent = constants[word[2]];
            word += 3;
            double result = 0.0;
            if (!InNormalRange(factor) ||
                !PowerInRange(base, current == kFusedTermNegated ? -exponent : exponent, result))
                return false;
            *below++ = top;
            top = factor * result;
            break;
        }
        default: {
            bool failed = false;
            top = CallFunction(current, top, random, failed);
            if (failed) return false;
            break;
        }
        }
        if (!InNormalRange(top)) return false;
    }
}

} // namespace

bool RunFusedCode(const int32_t* code, double time, const double* dependent,
                  const double* auxiliary, const double* constants, const RandomSource& random,
                  double* stack, double& value) {
    return RunFused<false>(code, time, dependent, auxiliary, constants, random, stack, &value);
}

bool RunFusedSystem(const int32_t* code, double time, const double* dependent, double* auxiliary,
                    const double* constants, const RandomSource& random, double* stack,
                    double* rates) {
    return RunFused<true>(code, time, dependent, auxiliary, constants, random, stack, rates);
}

} // namespace kora

// Evaluate: runs a compiled right side on a caller-owned stack. It allocates
// nothing and touches only this thread's mathematical-error record, so the
// solver threads of two documents may evaluate at once.
#include <cfloat>
#include <cmath>

#include "krm_parser.h"
#include "math_error.h"
#include "model_functions.h"
#include "postfix_words.h"

namespace kora {
namespace {

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

} // namespace

double KRMparser::Evaluate(int kind, int index, double time, const double* dependent,
                           const double* auxiliary, const double* constants_, int& error,
                           double* stack) const {
    MathErrorRecord& record = CurrentMathError();
    if (record.IsSet()) record = MathErrorRecord{};
    error = 0;
    const std::vector<Statement>& list = kind == 0 ? equations : definitions;
    if (index < 0 || static_cast<size_t>(index) >= list.size() || list[index].code.empty())
        return 0.0;

    const int32_t* word = list[index].code.data();
    double* next = stack; // the first free entry; next[-1] is the top
    for (;;) {
        const int32_t current = *word++;
        bool failed = false;
        switch (current) {
        case kWordEnd:
            return next[-1];
        case kWordConstant:
            *next++ = constants_[*word++];
            break;
        case kWordVariable:
            *next++ = dependent[*word++];
            break;
        case kWordDefinition:
            *next++ = auxiliary[*word++];
            break;
        case kWordTime:
            ++word;
            *next++ = time;
            break;
        case kWordNegate:
            next[-1] = -next[-1];
            break;
        case kWordAdd:
            next[-2] += next[-1];
            --next;
            break;
        case kWordSubtract:
            next[-2] -= next[-1];
            --next;
            break;
        case kWordMultiply:
            next[-2] *= next[-1];
            --next;
            break;
        case kWordDivide:
            next[-2] /= next[-1];
            --next;
            break;
        case kWordPower:
            next[-2] = CheckedPower(next[-2], next[-1], failed);
            --next;
            break;
        default:
            next[-1] = CallFunction(current, next[-1], random, failed);
            break;
        }
        const double magnitude = std::fabs(next[-1]);
        if (magnitude >= DBL_MAX) {
            error = kEvalOverflow;
            return next[-1];
        }
        if (magnitude < DBL_MIN && magnitude != 0.0) {
            error = kEvalUnderflow;
            return next[-1];
        }
        if (failed) {
            error = current == kWordPower ? kEvalPower : ErrorOfRecord();
            return next[-1];
        }
    }
}

} // namespace kora

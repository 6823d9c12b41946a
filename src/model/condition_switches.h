// The switches of compiled code, for solvers that locate where a condition
// changes: every relational word (X > 5) and every flag[] call is one switch.
// A switch's switching function is left operand − right operand for a
// relational word and the argument for flag; its sign change is where the
// switch flips (for == and !=, where the two sides cross).
//
//     std::vector<ConditionSwitch> switches;
//     FindConditionSwitches(model.equations[i].code, switches);   // at build time
//     double g = SwitchingFunction(model, model.equations[i].code, switches[k], t, x,
//                                  auxiliaries, constants, error, stack);  // per step
//
// SwitchingFunction allocates nothing; `stack` holds at least
// model.stackDepth doubles, as for Evaluate, and the auxiliary values must be
// those of the same state. A switch inside a branch of if[] or piecewise[]
// that is not taken is still listed; its operands may then fail to evaluate
// (ln of a negative number), which `error` reports with the codes of Evaluate.
#pragma once

#include <cstdint>
#include <vector>

namespace kora {

class KRMparser;

struct ConditionSwitch {
    int32_t begin = 0;    // first code word of the operands
    int32_t word = 0;     // position of the relational word or of flag's word
    int32_t kind = 0;     // that word: kWordLess ... kWordNotEqual, or kFunctionFlag
    int32_t operands = 0; // 2 for a relational word, 1 for flag
};

// Appends the switches of `code` (a compiled right side) in code order.
void FindConditionSwitches(const std::vector<int32_t>& code, std::vector<ConditionSwitch>& out);

// The switching function of `at`, a switch of `code`, at the given state.
// `error` is 0 or an evaluation code of KRMparser::Evaluate.
double SwitchingFunction(const KRMparser& model, const std::vector<int32_t>& code,
                         const ConditionSwitch& at, double time, const double* dependent,
                         const double* auxiliary, const double* constants, int& error,
                         double* stack);

// The value the switch's own word gives at the given state (1 or 0), as
// Evaluate would compute it there; used to hold the switch for a segment.
double SwitchValue(const KRMparser& model, const std::vector<int32_t>& code,
                   const ConditionSwitch& at, double time, const double* dependent,
                   const double* auxiliary, const double* constants, int& error, double* stack);

} // namespace kora

// Fused code: a statement's postfix code with its commonest runs of words
// (a variable to a constant power, a product with a constant or with such a
// power) folded into single words, so the evaluator's loop turns fewer
// times. It computes the same operations in the same order as the code it
// was made from, so its values are the same to the bit; on any value the
// ordinary code would report, it gives up and the ordinary code runs
// instead and reports it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "model_functions.h"

namespace kora {

// Words found only in fused code, after all the ordinary words.
inline constexpr int32_t kFusedMultiplyConstant = 320; // c: top * C[c]
inline constexpr int32_t kFusedMultiplyVariable = 321; // v: top * X[v]
inline constexpr int32_t kFusedPower = 322;            // v c: push X[v] ^ C[c]
inline constexpr int32_t kFusedPowerNegated = 323;     // v c: push X[v] ^ -C[c]
inline constexpr int32_t kFusedMultiplyPower = 324;    // v c: top * X[v] ^ C[c]
inline constexpr int32_t kFusedMultiplyPowerNegated = 325;
inline constexpr int32_t kFusedTerm = 326;        // k v c: push C[k] * X[v] ^ C[c]
inline constexpr int32_t kFusedTermNegated = 327; // k v c: push C[k] * X[v] ^ -C[c]
// Ends one statement of a system program: the value goes to its place and
// the stack starts empty again.
inline constexpr int32_t kFusedStoreDefinition = 328; // j: A[j] = top
inline constexpr int32_t kFusedStoreRate = 329;       // i: R[i] = top
// An equation's closing difference and its store in one word.
inline constexpr int32_t kFusedSubtractStoreRate = 330; // i: R[i] = below - top

// Operand words that follow a word of fused code.
int FusedOperandCount(int32_t word);

// The fused form of `code` (ending with word 0), or nothing when the code
// holds words it leaves alone: jumps, conditions, two-argument functions,
// rand[] (whose draws must not be taken twice) or nothing worth fusing.
std::vector<int32_t> FuseCode(const std::vector<int32_t>& code);

// One program for a whole evaluation: every definition, in order, then
// every equation, each statement fused where it can be and ending in its
// store. Empty when any statement holds words fused code leaves alone.
std::vector<int32_t> FuseSystem(const std::vector<std::span<const int32_t>>& definitionCodes,
                                const std::vector<std::span<const int32_t>>& equationCodes);

// Runs fused code. True with its value when every value stayed in range;
// false when the ordinary code must run to report what went wrong.
bool RunFusedCode(const int32_t* code, double time, const double* dependent,
                  const double* auxiliary, const double* constants, const RandomSource& random,
                  double* stack, double& value);

// Runs a system program: the definitions' values into `auxiliary`, the
// equations' into `rates`. False as soon as a value is out of range; the
// ordinary code must then evaluate everything again to report it.
bool RunFusedSystem(const int32_t* code, double time, const double* dependent, double* auxiliary,
                    const double* constants, const RandomSource& random, double* stack,
                    double* rates);

} // namespace kora

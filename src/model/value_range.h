// The range check the evaluator makes after every word: a value outside the
// normal doubles ends an evaluation with an error of its own.
#pragma once

#include <bit>
#include <cstdint>

#include "krm_parser.h"

namespace kora {

// RangeError's answer for NaN; the word that made it turns it into a domain
// error of its own name.
inline constexpr int kNotANumber = -1;

inline constexpr uint64_t kMagnitudeMask = 0x7FFFFFFFFFFFFFFFULL;
inline constexpr uint64_t kSmallestNormalBits = 0x0010000000000000ULL; // DBL_MIN
inline constexpr uint64_t kLargestBits = 0x7FEFFFFFFFFFFFFFULL;        // DBL_MAX
inline constexpr uint64_t kInfinityBits = 0x7FF0000000000000ULL;

// Zero or a normal double below DBL_MAX in magnitude: one subtraction and
// compare on the common path.
inline bool InNormalRange(double value) {
    const uint64_t bits = std::bit_cast<uint64_t>(value) & kMagnitudeMask;
    return bits - kSmallestNormalBits < kLargestBits - kSmallestNormalBits || bits == 0;
}

// A positive normal double below DBL_MAX: the sign bit makes any negative
// value fail the same single compare.
inline bool PositiveNormal(double value) {
    return std::bit_cast<uint64_t>(value) - kSmallestNormalBits <
           kLargestBits - kSmallestNormalBits;
}

// 0 in range; kEvalOverflow for a magnitude of at least DBL_MAX,
// kEvalUnderflow for a non-zero magnitude below DBL_MIN, kNotANumber for NaN.
inline int RangeError(double value) {
    if (InNormalRange(value)) return 0;
    const uint64_t bits = std::bit_cast<uint64_t>(value) & kMagnitudeMask;
    if (bits >= kLargestBits && bits <= kInfinityBits) return kEvalOverflow;
    if (bits < kSmallestNormalBits) return kEvalUnderflow;
    return kNotANumber;
}

} // namespace kora

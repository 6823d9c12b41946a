// Words of compiled (postfix) code and the kinds the tokenizer returns.
#pragma once

#include <cstdint>

namespace kora {

// Code words; below 256 are the one-argument functions, 0 ends the code.
inline constexpr int32_t kWordEnd = 0;
inline constexpr int32_t kWordConstant = 256;
inline constexpr int32_t kWordVariable = 257;
inline constexpr int32_t kWordDefinition = 258;
inline constexpr int32_t kWordTime = 259;
inline constexpr int32_t kWordNegate = 260;
inline constexpr int32_t kWordAdd = 261;
inline constexpr int32_t kWordSubtract = 262;
inline constexpr int32_t kWordMultiply = 263;
inline constexpr int32_t kWordDivide = 264;
inline constexpr int32_t kWordPower = 265;
// Conditions: relational words leave 1 or 0; logical words take any nonzero
// operand as true.
inline constexpr int32_t kWordLess = 266;
inline constexpr int32_t kWordLessEqual = 267;
inline constexpr int32_t kWordGreater = 268;
inline constexpr int32_t kWordGreaterEqual = 269;
inline constexpr int32_t kWordEqual = 270;
inline constexpr int32_t kWordNotEqual = 271;
inline constexpr int32_t kWordAnd = 272;
inline constexpr int32_t kWordOr = 273;
inline constexpr int32_t kWordXor = 274;
inline constexpr int32_t kWordNot = 275;
// A conditional value is laid out as
//     c1 Branch(+n) v1 Skip(+m) c2 Branch v2 Skip ... otherwise Select ... Select
// with one Select per piece. Branch pops the condition and, when it is 0,
// jumps forward by its operand (counted from the word after the operand);
// Skip always jumps, to the end. So the evaluator runs only the piece chosen,
// while a walker that ignores the jumps sees plain postfix: Select takes
// condition, value and the rest. NoPiece stands for a missing otherwise and
// fails when reached.
inline constexpr int32_t kWordBranch = 276;
inline constexpr int32_t kWordSkip = 277;
inline constexpr int32_t kWordSelect = 278;
inline constexpr int32_t kWordNoPiece = 279;
inline constexpr int32_t kWordImplies = 280;
// Two-argument functions.
inline constexpr int32_t kWordMin = 281;
inline constexpr int32_t kWordMax = 282;
inline constexpr int32_t kWordQuotient = 283;
inline constexpr int32_t kWordRem = 284;
inline constexpr int32_t kWordRoot = 285;    // root[n, x]: n below x
inline constexpr int32_t kWordLogBase = 286; // log[b, x]: b below x
inline constexpr int32_t kWordLast = kWordLogBase;
// A switch held for a solver's segment (only in the solver's copies of the
// code): the operands are skipped and the held value is pushed.
inline constexpr int32_t kWordHeldFalse = 287;
inline constexpr int32_t kWordHeldTrue = 288;

// Words followed by one operand word (an index or a jump distance).
inline constexpr bool WordHasOperand(int32_t word) {
    return (word >= kWordConstant && word <= kWordTime) || word == kWordBranch ||
           word == kWordSkip || word == kWordNoPiece;
}

inline constexpr bool IsRelationalWord(int32_t word) {
    return word >= kWordLess && word <= kWordNotEqual;
}

// How many values the word takes from the stack when the jumps are ignored
// (Branch and Skip then take none and Select three); it leaves one value,
// except Branch and Skip, which leave the stack as it is.
inline constexpr int WordInputs(int32_t word) {
    if (word == kWordBranch || word == kWordSkip || word == kWordNoPiece) return 0;
    if (word >= kWordConstant && word <= kWordTime) return 0;
    if (word == kWordNegate || word == kWordNot || word < kWordConstant) return 1;
    if (word == kWordSelect) return 3;
    return 2;
}
inline constexpr int WordOutputs(int32_t word) {
    return word == kWordBranch || word == kWordSkip ? 0 : 1;
}

// The value of a relational or logical word (kWordLess ... kWordXor,
// kWordImplies).
inline double ConditionValue(int32_t word, double left, double right) {
    bool truth = false;
    switch (word) {
    case kWordLess:
        truth = left < right;
        break;
    case kWordLessEqual:
        truth = left <= right;
        break;
    case kWordGreater:
        truth = left > right;
        break;
    case kWordGreaterEqual:
        truth = left >= right;
        break;
    case kWordEqual:
        truth = left == right;
        break;
    case kWordNotEqual:
        truth = left != right;
        break;
    case kWordAnd:
        truth = left != 0.0 && right != 0.0;
        break;
    case kWordOr:
        truth = left != 0.0 || right != 0.0;
        break;
    case kWordXor:
        truth = (left != 0.0) != (right != 0.0);
        break;
    case kWordImplies:
        truth = left == 0.0 || right != 0.0;
        break;
    default:
        break;
    }
    return truth ? 1.0 : 0.0;
}

// Token kinds of KRMparser::NextToken.
enum TokenKind : int32_t {
    kTokenUnknown = 0,
    kTokenPlus = 1,
    kTokenMinus = 2,
    kTokenTimes = 3,
    kTokenDivide = 4,
    kTokenPower = 5,
    kTokenOpen = 6,
    kTokenClose = 7,
    kTokenOpenBracket = 8,
    kTokenCloseBracket = 9,
    kTokenNumber = 10,
    kTokenConstant = 11,
    kTokenVariable = 12,
    kTokenDefinition = 13,
    kTokenFunction = 14,
    kTokenTime = 15,
    kTokenEnd = 16,
    kTokenComma = 17,
    kTokenLess = 18,
    kTokenLessEqual = 19,
    kTokenGreater = 20,
    kTokenGreaterEqual = 21,
    kTokenEqual = 22,
    kTokenNotEqual = 23,
};

// Compile modes.
inline constexpr int kModeGeneral = 0;
inline constexpr int kModePowerLaw = 1;
inline constexpr int kModeQuietPowerLaw = 2;

} // namespace kora

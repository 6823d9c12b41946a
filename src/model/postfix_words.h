// Words of compiled (postfix) code and the kinds the tokenizer returns.
#pragma once

#include <cstdint>

namespace kora {

// Code words; 1 to 11 are the functions, 0 ends the code.
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
};

// Compile modes.
inline constexpr int kModeGeneral = 0;
inline constexpr int kModePowerLaw = 1;
inline constexpr int kModeQuietPowerLaw = 2;

} // namespace kora

// MathML trees as model-language infix text.
#pragma once

#include <functional>
#include <string>

#include <sbml/math/ASTNode.h>

namespace kora::sbml {

// Maps an SBML identifier met in the math onto its model-language name;
// returns "" for an identifier the math may not use.
// The lookup is also asked for kTimeId; "" keeps the time as "_time".
using NameLookup = std::function<std::string(const std::string& sbmlId)>;
inline constexpr const char* kTimeId = "\x01time";

// Writes `node` with the model language's precedence ("^" grouping to the
// left, unary minus looser than "^", functions in square brackets). Returns
// false with the reason in `why` for math the language cannot express.
bool MathToText(const LIBSBML_CPP_NAMESPACE_QUALIFIER ASTNode* node, const NameLookup& names,
                std::string& text, std::string& why);

// Shortest text that reads back as exactly `value`.
std::string NumberText(double value);

} // namespace kora::sbml

// The references of a large model, checked in one pass over it. libSBML's
// general and MathML consistency checks look every id up by a linear search,
// so their time grows with the square of the model's size; above
// kLargeModelElements these checks stand in for them and keep what the
// conversion relies on: every name refers to something the model defines,
// and every changed quantity has one rule and is not constant.
#pragma once

#include <string>
#include <vector>

#include <sbml/SBMLTypes.h>

namespace kora::sbml {

LIBSBML_CPP_NAMESPACE_USE

// Below this many elements libSBML's own checks take well under a second.
constexpr unsigned kLargeModelElements = 4000;

// Compartments, species, parameters, reactions, rules, initial assignments,
// events and function definitions.
unsigned ElementCount(const Model& model);

// Appends one "line N: message" per broken reference.
void CheckReferences(const Model& model, std::vector<std::string>& problems);

} // namespace kora::sbml

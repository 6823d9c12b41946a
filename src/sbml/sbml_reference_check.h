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

// libSBML's check for cycles of assignments closes the dependencies of
// rules, initial assignments and reactions pair by pair, in time that grows
// far faster than the number of pairs: a chain of 30 assignment rules takes
// 0.4 s, one of 60 takes 10 s. Its work is estimated as the pairs (a
// quantity, one it depends on through any chain) times the longest chain,
// counted no further than `limit`.
unsigned long DependencyWork(const Model& model, unsigned long limit);

// Above this work that check takes more than a few tenths of a second.
constexpr unsigned long kDependencyWorkLimit = 30000;

// Appends one "line N: message" per broken reference.
void CheckReferences(const Model& model, std::vector<std::string>& problems);

} // namespace kora::sbml

// Labels of the report taken from the power-law form: sensitivity row labels
// and flux column headings, in the order the computation writes them.
#pragma once

#include <string>
#include <vector>

#include "model/gma_form.h"
#include "model/krm_parser.h"

namespace kora {

// "V(name)" for an S-system equation's flux, "v(name,k)" per term otherwise.
std::vector<std::string> FluxHeadings(const KRMForm& form, const KRMparser& model);

// The independent variables by name, then "alpha(...)"/"beta(...)" per term,
// then "g(...)"/"h(...)" per kinetic order.
std::vector<std::string> SensitivityRowLabels(const KRMForm& form, const KRMparser& model,
                                              size_t independentCount);

// The name of the constant at value position `valueIndex`, or "".
std::string NameAtValueIndex(const KRMparser& model, size_t valueIndex);

} // namespace kora

// One SBML model (already validated, function definitions and initial
// assignments expanded) as a model text.
#pragma once

#include <string>
#include <vector>

#include <sbml/SBMLTypes.h>

namespace kora::sbml {

// The annotation that carries the time settings from export to import.
inline constexpr const char* kTimeSettingsUri = "urn:kora:time-settings";
inline constexpr const char* kTimeSettingsElement = "timeSettings";
// On the events that export writes for timed assignments.
inline constexpr const char* kTimedAssignmentElement = "timedAssignment";

// False with one problem per element that cannot be expressed.
bool ConvertModel(const LIBSBML_CPP_NAMESPACE_QUALIFIER Model& model, const std::string& header,
                  std::string& text, std::vector<std::string>& problems);

} // namespace kora::sbml

// A fit's result as JSON and as text for people.
#pragma once

#include <string>

#include "fit_problem.h"

namespace kora {

// {"objective":..., "ssr":..., "chi2":..., "aic":..., "bic":..., "evaluations":...,
//  "converged":true|false, "parameters":{"NAME":{"value":..., "se":..., "low":...,
//  "high":...}, ...}, "correlation":[[...]]}, with "not_identifiable":[...]
// after it; numbers that are not finite (no se, no bound) are null.
std::string FitResultJson(const FitResult& result);

// The same for reading: sums, criteria, a table of the parameters and the
// correlation matrix; `lineEnd` ends every line.
std::string FitResultText(const FitResult& result, const std::string& lineEnd = "\n");

} // namespace kora

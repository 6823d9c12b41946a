// Starting values for an S-system's rate constants and kinetic orders from
// time courses, by decoupled regression: the slope of every variable is
// estimated from smoothed data, and each equation
//   dX_i/dt = alpha_i prod X_j^g_ij - beta_i prod X_j^h_ij
// is fitted alone by alternating linear regressions in log space (the
// production term with the degradation term held, then the reverse).
// Needs every variable of an equation measured in the same data set.
#pragma once

#include <string>
#include <vector>

#include "fit_objective.h"

namespace kora {

struct SSystemEstimate {
    std::vector<double> values; // one per fitted parameter
    int32_t iterations = 0;     // alternations over all equations
};

// "" on success, else why the method does not apply to this model or data.
std::string IdentifySSystem(FitObjective& objective, SSystemEstimate& estimate);

// Value and slope at every time of a series by local cubic least squares
// over `halfWidth` neighbours on each side; missing values (NaN) are skipped.
void SmoothSeries(const std::vector<double>& times, const std::vector<double>& values,
                  int halfWidth, std::vector<double>& smooth, std::vector<double>& slope);

} // namespace kora

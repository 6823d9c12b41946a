// Log gains of the steady state and of the fluxes of a power-law form.
#pragma once

#include <cstdint>

#include "ss_residuals.h"

namespace kora {

struct SensitivityInput {
    const PowerLawTable* table = nullptr;
    uint32_t m = 0;                     // independent variables
    const double* xe = nullptr;         // steady state, then independent values
    const double* termValues = nullptr; // every term at the steady state
    const double* influx = nullptr;     // per equation
};

// Caller-provided storage: two n x n matrices, n pivots and n right-hand-side
// values.
struct SensitivityWork {
    double* matrix = nullptr;
    double* inverse = nullptr;
    int* pivots = nullptr;
    double* rhs = nullptr;
};

// Fills the three arrays of columns (variables, then fluxes, per parameter).
// Returns false, writing nothing meaningful, when an influx is 0 or the
// matrix of the linearised system is singular.
bool ComputeSensitivities(const SensitivityInput& in, const SensitivityWork& work,
                          double* sensIndep, double* sensRate, double* sensOrder);

} // namespace kora

// Log gains of the steady state and of the fluxes of a power-law form.
#pragma once

#include <cstdint>

#include "ss_conservation.h"
#include "ss_residuals.h"

namespace kora {

struct SensitivityInput {
    const PowerLawTable* table = nullptr;
    uint32_t m = 0;                     // independent variables
    const double* xe = nullptr;         // steady state, then independent values
    const double* termValues = nullptr; // every term at the steady state
    const double* influx = nullptr;     // per equation
    // Held totals: each pivot's equation is replaced by its relation.
    const std::vector<ConservationRelation>* relations = nullptr;
};

// Caller-provided storage: two n x n matrices, n pivots and n right-hand-side
// values.
struct SensitivityWork {
    double* matrix = nullptr;
    double* inverse = nullptr;
    int* pivots = nullptr;
    double* rhs = nullptr;
};

// The arrays of columns (variables, then fluxes, per parameter); the last
// has one column per relation, the log gains to its total.
struct SensitivityOutput {
    double* sensIndep = nullptr;
    double* sensRate = nullptr;
    double* sensOrder = nullptr;
    double* sensTotal = nullptr;
};

// Fills the output's columns. With relations, the totals are held: a
// parameter acts only through the equations the relations leave. Returns
// false, writing nothing meaningful, when an influx of a kept equation is 0
// or the matrix of the linearised system is singular.
bool ComputeSensitivities(const SensitivityInput& in, const SensitivityWork& work,
                          const SensitivityOutput& out);

} // namespace kora

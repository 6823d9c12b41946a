// The steady state as the end of the model's own motion: when no start point
// leads the nonlinear solver to a root, integrate from the initial values and
// start it again from where the model has gone.
#pragma once

#include <cstdint>

#include "kernels/minpack.h"

namespace kora {

// Work given to the integration and its solver calls.
struct SsIntegrationWork {
    double* fvec = nullptr; // n values
    double* wa = nullptr;   // hybrd1's work array
    int lwa = 0;
    double tolerance = 0.0; // hybrd1's, as for the search
};

// At most this many integration steps over all horizons together.
inline constexpr int kSsIntegrationStepLimit = 200000;

// Integrates x' = F(x) (F the residual `fcn`) from x over the horizons 10,
// 100, ..., 1e9, and after each one runs hybrd1 on `polish` (F itself, or
// F with equations replaced by conservation relations) from the state
// reached. On
// success x holds the first root with info 1 (all components positive when
// `positive`), `horizon` the horizon it came from, and the answer is true.
// False when the integration fails, exceeds its step limit or no horizon
// leads to a root; x is then meaningless.
bool IntegrateToSteadyState(const MinpackFcn& fcn, const MinpackFcn& polish, bool positive,
                            uint32_t n, double* x, const SsIntegrationWork& work, double& horizon);

} // namespace kora

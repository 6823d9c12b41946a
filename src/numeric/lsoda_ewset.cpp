#include <cmath>

#include "lsoda_engine.h"

namespace kora {

// Error weights for one relative and one absolute tolerance (itol 1).
void ewset(int n, double rtol, double atol, const double* ycur, double* ewt) {
    for (int i = 0; i < n; ++i)
        ewt[i] = rtol * std::fabs(ycur[i]) + atol;
}

bool LsodaEngine::LoadWeights() {
    double* w = ewt();
    ewset(n, rtol, atol, yh(), w);
    for (int i = 0; i < n; ++i) {
        if (w[i] <= 0.0) return false;
        w[i] = 1.0 / w[i];
    }
    return true;
}

} // namespace kora

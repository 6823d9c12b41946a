// Internals of the single step shared by its source files: the locals of one
// stoda call and the stability-region factors of the Adams method.
#pragma once

#include "lsoda_engine.h"

namespace kora {

inline constexpr double kSm1[12] = {0.5,  0.575, 0.55, 0.45,  0.35,  0.25,
                                    0.20, 0.15,  0.10, 0.075, 0.050, 0.025};
inline double sm1(int order) {
    return kSm1[order - 1];
}

struct LsodaEngine::StodaCall {
    double told = 0.0, rh = 0.0, dsm = 0.0, pnorm = 0.0, del = 0.0, delp = 0.0;
    double rate = 0.0, pdh = 0.0, rhup = 0.0, rhsm = 0.0, rhdn = 0.0, rh2 = 0.0;
    int m = 0, ncf = 0, iredo = 0, iret = 0, newq = 0, nqm2 = 0;
};

} // namespace kora

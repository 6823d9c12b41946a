#include "ss_integration.h"

#include <cmath>
#include <vector>

#include "lsoda_engine.h"

namespace kora {
namespace {

constexpr double kRelativeTolerance = 1e-8;
constexpr double kAbsoluteTolerance = 1000.0 * kLsodaEta;
constexpr double kFirstHorizon = 10.0;
constexpr double kLastHorizon = 1e9;

// The residual as the integrator's right-hand side; time does not enter, as
// it does not for the search.
class ResidualRhs : public LsodaRhs {
public:
    ResidualRhs(const MinpackFcn& fcn, int n) : fcn_(fcn), n_(n) {}
    bool Derivatives(double, const double* y, double* ydot) override {
        int iflag = 1;
        fcn_(n_, y, ydot, &iflag);
        return iflag >= 0;
    }

private:
    const MinpackFcn& fcn_;
    int n_;
};

bool AcceptableRoot(bool positive, uint32_t n, const double* x) {
    for (uint32_t i = 0; i < n; ++i)
        if (!std::isfinite(x[i]) || (positive && !(x[i] > 0.0))) return false;
    return true;
}

} // namespace

bool IntegrateToSteadyState(const MinpackFcn& fcn, const MinpackFcn& polish, bool positive,
                            uint32_t n, double* x, const SsIntegrationWork& work, double& horizon) {
    const int nn = static_cast<int>(n);
    ResidualRhs rhs(fcn, nn);
    LsodaEngine engine;
    engine.Allocate(nn);
    std::vector<double> y(x, x + n);
    if (engine.Start(rhs, 0.0, kFirstHorizon, y.data(), kRelativeTolerance, kAbsoluteTolerance) !=
        LsodaEngine::StartResult::Ok)
        return false;

    bool firstStep = true;
    for (double tout = kFirstHorizon; tout <= kLastHorizon; tout *= 10.0) {
        if (!engine.StepPast(rhs, tout, firstStep, kSsIntegrationStepLimit)) return false;
        if (engine.intdy(tout, 0, y.data()) != 0) return false;
        for (uint32_t i = 0; i < n; ++i)
            x[i] = y[i];
        int info = 0;
        hybrd1(polish, nn, x, work.fvec, work.tolerance, &info, work.wa, work.lwa);
        if (info == 1 && AcceptableRoot(positive, n, x)) {
            horizon = tout;
            return true;
        }
    }
    return false;
}

} // namespace kora

// The Taylor method's location of the model's switches: the switching
// functions are evaluated on the step's own series, so a switch is found to
// the resolution of the time axis without any further right-hand side.
#include <algorithm>
#include <cmath>
#include <limits>

#include "krm_form_integrator.h"

namespace kora {
namespace {

constexpr double kExpOverflow = 709.78;

bool SameSign(double a, double b) {
    return (a >= 0.0) == (b >= 0.0);
}

// The function whose sign differs between g0 and g1 with the largest relative
// change (the one the secant follows), or -1; `zero` tells whether g1 has a zero.
int32_t Changing(const std::vector<double>& g0, const std::vector<double>& g1, bool& zero) {
    int32_t chosen = -1;
    double largest = 0.0;
    zero = false;
    for (size_t i = 0; i < g0.size(); ++i) {
        if (g1[i] == 0.0) {
            zero = true;
            continue;
        }
        if (SameSign(g0[i], g1[i])) continue;
        const double change = std::fabs(g1[i] / (g1[i] - g0[i]));
        if (change <= largest) continue;
        largest = change;
        chosen = static_cast<int32_t>(i);
    }
    return chosen;
}

} // namespace

void KRMForm_integrator::StartSwitches() {
    const size_t count = SwitchCount();
    g0_.assign(count, 0.0);
    g1_.assign(count, 0.0);
    gx_.assign(count, 0.0);
    switchState_.assign(n, 0.0);
    if (count > 0) SwitchingValues(ModelTime(t0), values.data(), g0_.data());
}

bool KRMForm_integrator::SwitchesAt(int32_t K, double s, double t, std::vector<double>& g) {
    EvaluateSeries(K, (t - tNow) / s, output_);
    for (uint32_t i = 0; i < n; ++i) {
        const double magnitude = std::exp(std::min(output_[i], kExpOverflow));
        switchState_[i] = negative_[i] ? -magnitude : magnitude;
    }
    return SwitchingValues(ModelTime(t), switchState_.data(), g.data());
}

// The Illinois algorithm on the series between tNow and the step's end (or
// the segment's end): the leftmost sign change, to within the time axis's
// resolution; tSwitch is the right end, where the sign has changed.
bool KRMForm_integrator::LocateSwitch(int32_t K, double s, double h, double& tSwitch) {
    if (g0_.empty()) return false;
    double x0 = tNow;
    double x1 = std::min(tNow + h, segmentEnd);
    if (!SwitchesAt(K, s, x1, g1_)) return false;
    bool zero = false;
    int32_t imax = Changing(g0_, g1_, zero);
    if (imax < 0) {
        if (!zero) {
            g0_ = g1_;
            return false;
        }
        const double past = x1 + 100.0 * std::numeric_limits<double>::epsilon() *
                                     (std::fabs(tNow) + std::fabs(x1 - x0));
        tSwitch = past <= segmentEnd ? past : x1;
        return true;
    }
    // The resolution of the time axis over the interval searched (a step of
    // the Taylor method may be far longer than the segment).
    const double hmin =
        100.0 * std::numeric_limits<double>::epsilon() * (std::fabs(tNow) + std::fabs(x1 - x0));
    double alpha = 1.0;
    int last = 1, previousLast = 0;
    while (std::fabs(x1 - x0) > hmin) {
        if (previousLast != last)
            alpha = 1.0;
        else
            alpha = last != 0 ? 0.5 * alpha : 2.0 * alpha;
        const size_t i = static_cast<size_t>(imax);
        double x2 = x1 - (x1 - x0) * g1_[i] / (g1_[i] - alpha * g0_[i]);
        if (std::fabs(x2 - x0) < hmin && std::fabs(x1 - x0) > 10.0 * hmin)
            x2 = x0 + 0.1 * (x1 - x0);
        if (!SwitchesAt(K, s, x2, gx_)) return false;
        previousLast = last;
        const int32_t changing = Changing(g0_, gx_, zero);
        if (changing >= 0) {
            imax = changing;
            x1 = x2;
            g1_ = gx_;
            last = 1;
        } else if (zero) {
            x1 = x2;
            g1_ = gx_;
            break;
        } else {
            x0 = x2;
            g0_ = gx_;
            last = 0;
        }
    }
    tSwitch = x1;
    // A function exactly zero there has not yet switched: a relation holding
    // only past it must hold where the segment ends.
    if (std::find(g1_.begin(), g1_.end(), 0.0) != g1_.end() && x1 + hmin <= segmentEnd)
        tSwitch = x1 + hmin;
    return true;
}

// The segment ends at the switch, without a row; the run decides what it is.
void KRMForm_integrator::StopAtSwitch(int32_t K, double s, double tSwitch) {
    EvaluateSeries(K, (tSwitch - tNow) / s, output_);
    for (uint32_t i = 0; i < n; ++i) {
        if (output_[i] > kExpOverflow) {
            status = kStatusTooBig;
            errorIndex = i;
            return;
        }
        values[i] = negative_[i] ? -std::exp(output_[i]) : std::exp(output_[i]);
    }
    stoppedAtSwitch = true;
    switchTime = tSwitch;
    status = kStatusComplete;
}

} // namespace kora

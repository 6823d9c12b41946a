// Where an axis carries its ticks and what its labels say: nice numbers
// (1, 2 or 5 times a power of ten) on a linear axis, decades with minor
// ticks at 2..9 on a logarithmic one.
#pragma once

#include <string>
#include <vector>

namespace kora {

struct AxisTick {
    double value = 0;
    bool major = false;
    std::string label; // empty for minor ticks and unlabelled decades
};

// The step between major ticks: 1, 2 or 5 times a power of ten, so that
// `span` holds about `target` (at least 1) steps.
double NiceStep(double span, int target);

// Ticks of a linear axis from `start` to `end` (either order), about
// `target` major ones, each labelled; minor ticks between them (five per
// step of 1 or 5, four per step of 2).
std::vector<AxisTick> LinearTicks(double start, double end, int target);

// Ticks of a logarithmic axis over positive `start`..`end`: each decade a
// major tick labelled as a power of ten (every n-th decade when there are
// more than `target`), minor ticks at 2..9 times each decade. A range within
// less than two decades labels its minor ticks too, in plain numbers.
std::vector<AxisTick> LogTicks(double start, double end, int target);

// A tick value as a reader wants to see it: as many decimals as the step
// needs and no more, powers of ten past 1e6 or below 1e-4 in exponent form
// ("2.5e-07"), and no rounding noise ("0.3", never "0.30000000000000004").
std::string TickLabel(double value, double step);

// "10" followed by the exponent in superscript digits ("10⁻⁶"), as UTF-8.
std::string PowerOfTenLabel(int exponent);

} // namespace kora

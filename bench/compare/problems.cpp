#include "problems.h"

#include <cmath>

namespace kora::compare {
namespace {

void Robertson(double, const double* y, double* f, int) {
    const double a = 0.04 * y[0], b = 1e4 * y[1] * y[2], c = 3e7 * y[1] * y[1];
    f[0] = -a + b;
    f[1] = a - b - c;
    f[2] = c;
}

void Hires(double, const double* y, double* f, int) {
    f[0] = -1.71 * y[0] + 0.43 * y[1] + 8.32 * y[2] + 0.0007;
    f[1] = 1.71 * y[0] - 8.75 * y[1];
    f[2] = -10.03 * y[2] + 0.43 * y[3] + 0.035 * y[4];
    f[3] = 8.32 * y[1] + 1.71 * y[2] - 1.12 * y[3];
    f[4] = -1.745 * y[4] + 0.43 * y[5] + 0.43 * y[6];
    f[5] = -280.0 * y[5] * y[7] + 0.69 * y[3] + 1.71 * y[4] - 0.43 * y[5] + 0.69 * y[6];
    f[6] = 280.0 * y[5] * y[7] - 1.81 * y[6];
    f[7] = -280.0 * y[5] * y[7] + 1.81 * y[6];
}

void VanDerPol(double, const double* y, double* f, int) {
    f[0] = y[1];
    f[1] = 1000.0 * (1.0 - y[0] * y[0]) * y[1] - y[0];
}

// Rate constants of the chains, written as the model text writes them.
double ChainRate(int i) {
    static constexpr double kRates[] = {1.0, 1.1, 1.2, 1.3, 1.4, 1.5, 1.6, 1.7, 1.8, 1.9, 2.0};
    return kRates[i];
}

void SChain(double, const double* y, double* f, int n) {
    f[0] = ChainRate(0) * std::pow(y[n - 1], -0.5) - ChainRate(1) * std::sqrt(y[0]);
    for (int i = 1; i < n; ++i)
        f[i] = ChainRate(i) * std::sqrt(y[i - 1]) - ChainRate(i + 1) * std::sqrt(y[i]);
}

// GMA chain: each step has a saturating and a linear branch.
void GmaChain(double, const double* y, double* f, int n) {
    f[0] = 2.0 - std::sqrt(y[0]) - 0.05 * y[0];
    for (int i = 1; i < n; ++i)
        f[i] = std::sqrt(y[i - 1]) + 0.05 * y[i - 1] - std::sqrt(y[i]) - 0.05 * y[i];
}

std::vector<Problem> MakeProblems() {
    std::vector<Problem> p;
    p.push_back({"Robertson", "robertson.krm", 3, {1.0, 0.0, 0.0}, 0.0, 40.0, 4.0, true, false,
                 {1e-6, 1e-9}, Robertson});
    p.push_back({"HIRES", "hires.krm", 8, {1, 0, 0, 0, 0, 0, 0, 0.0057}, 0.0, 321.8122,
                 32.18122, true, false, {1e-6, 1e-9}, Hires});
    p.push_back({"VanDerPol", "vanderpol.krm", 2, {2.0, 0.0}, 0.0, 3000.0, 300.0, true, false,
                 {1e-6, 1e-9}, VanDerPol});
    p.push_back({"SChain10", "schain10.krm", 10, std::vector<double>(10, 1.0), 0.0, 100.0, 1.0,
                 false, true, {1e-6, 1e-9, 1e-12}, SChain});
    p.push_back({"GmaChain100", "gmachain100.krm", 100, std::vector<double>(100, 1.0), 0.0, 100.0,
                 1.0, false, true, {1e-6, 1e-9, 1e-12}, GmaChain});
    return p;
}

} // namespace

const std::vector<Problem>& ComparisonProblems() {
    static const std::vector<Problem> problems = MakeProblems();
    return problems;
}

} // namespace kora::compare

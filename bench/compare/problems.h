// The comparison problems: each with a native right-hand side for the peer
// solvers and a model text for KORA.
#pragma once

#include <string>
#include <vector>

namespace kora::compare {

using NativeRhs = void (*)(double t, const double* y, double* dydt, int n);

struct Problem {
    std::string name;
    std::string modelFile; // under bench/compare/models
    int n = 0;
    std::vector<double> y0;
    double t0 = 0.0;
    double tf = 1.0;
    double hr = 0.1;
    bool stiff = false;
    bool powerLaw = false; // Taylor applies (positive power-law form)
    std::vector<double> tolerances;
    NativeRhs rhs = nullptr;
};

// Every problem of the comparison, in table order.
const std::vector<Problem>& ComparisonProblems();

} // namespace kora::compare
